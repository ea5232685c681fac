// XmlTarget: passes everything on to another target and writes what was
// accepted as CIM-XML (cimmof --xml): a DECLARATION holding one DECLGROUP
// with each qualifier declaration, class and instance in compilation order.
//
// finish() closes the document after the last declaration; the destructor
// closes it when finish() was not called, so that a compilation that stops
// early (a file that cannot be read) still leaves a well-formed document
// holding what was accepted.  The stream and the inner target are not
// owned.  Not thread-safe.
#ifndef PEGASUS_MOF_XML_TARGET_H
#define PEGASUS_MOF_XML_TARGET_H

#include "MofTarget.h"

#include <iosfwd>

namespace Pegasus {
namespace Mof {

class XmlTarget : public MofTarget
{
public:
    XmlTarget(MofTarget& inner, std::ostream& out);
    ~XmlTarget() override;

    void finish();

    void ensureNamespace(const CIMNamespaceName& ns) override;
    void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) override;
    CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) override;
    void createClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) override;
    CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) override;

private:
    MofTarget& _inner;
    std::ostream& _out;
    bool _finished = false;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
