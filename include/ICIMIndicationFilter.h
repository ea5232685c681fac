// ICIMIndicationFilter: what a subscriber wants to receive: a query in a
// query language, evaluated against the indications of a source namespace.
//
// The host names this interface without fixing its operations; these
// three are our choice: they carry what a CIM indication filter consists
// of.
// Ownership: held by boost::shared_ptr by the subscriber.
// Thread safety: implementations must allow concurrent reads.
#ifndef NQRVKTA20_ICIMINDICATIONFILTER_H
#define NQRVKTA20_ICIMINDICATIONFILTER_H

#include <string>

#include "TCIMContext.h"

namespace NQRVKTA20 {

class ICIMIndicationFilter {
public:
    virtual ~ICIMIndicationFilter() {}

    // The query language, e.g. "WQL".
    virtual std::string GetQueryLanguage(TCIMContext context) const = 0;
    // The query text, e.g. "SELECT * FROM CIM_AlertIndication".
    virtual std::string GetQuery(TCIMContext context) const = 0;
    // The name of the namespace whose indications are filtered; empty for
    // the namespace subscribed to.
    virtual std::string GetSourceNamespace(TCIMContext context) const = 0;

protected:
    ICIMIndicationFilter() = default;
    ICIMIndicationFilter(ICIMIndicationFilter const&) = default;
    ICIMIndicationFilter& operator=(ICIMIndicationFilter const&) = default;
};

} // namespace NQRVKTA20

#endif
