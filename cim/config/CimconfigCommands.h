// What cimconfig does with a parsed request: through the running server
// (PG_ConfigSetting in root/PG_Internal, reached with connectLocal()) or,
// when none answers, on the planned configuration file under PEGASUS_HOME.
#ifndef KTA_CIM_CONFIG_CIMCONFIGCOMMANDS_H
#define KTA_CIM_CONFIG_CIMCONFIGCOMMANDS_H

#include <ostream>
#include <string>

#include "CimconfigCommandLine.h"

namespace Pegasus {

// Carries out `request` for PEGASUS_HOME `home`, writing the results to
// `out` and problems to `err`.  Returns the exit status.
int runCimconfig(const CimconfigRequest& request, const std::string& home,
                 std::ostream& out, std::ostream& err);

// The -H text for one property: "<name> (Static|Dynamic,Default:<value>)"
// then its description, each line indented.  Empty for an unknown name.
std::string propertyHelpText(const std::string& name);

}  // namespace Pegasus

#endif
