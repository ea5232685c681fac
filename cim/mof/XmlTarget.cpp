// --xml output.  Elements are written only after the inner target took
// them, so the document holds exactly what a server would have been given.

#include "XmlTarget.h"

#include "CimXmlWriter.h"

#include <ostream>
#include <string>

namespace Pegasus {
namespace Mof {

XmlTarget::XmlTarget(MofTarget& inner, std::ostream& out) : _inner(inner), _out(out)
{
    _out << "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
            "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
            "<DECLARATION>\n"
            "<DECLGROUP>\n";
}

XmlTarget::~XmlTarget()
{
    finish();
}

void XmlTarget::finish()
{
    if (_finished)
        return;
    _finished = true;
    _out << "</DECLGROUP>\n</DECLARATION>\n</CIM>\n" << std::flush;
}

void XmlTarget::ensureNamespace(const CIMNamespaceName& ns)
{
    _inner.ensureNamespace(ns);
}

void XmlTarget::setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl)
{
    _inner.setQualifier(ns, decl);
    std::string xml;
    CimXmlWriter::appendQualifierDecl(xml, decl);
    _out << xml;
}

CIMQualifierDecl XmlTarget::findQualifier(const CIMNamespaceName& ns, const CIMName& name)
{
    return _inner.findQualifier(ns, name);
}

void XmlTarget::createClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    _inner.createClass(ns, cls);
    std::string xml = "<VALUE.OBJECT>\n";
    CimXmlWriter::appendClass(xml, cls);
    xml += "</VALUE.OBJECT>\n";
    _out << xml;
}

void XmlTarget::modifyClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    _inner.modifyClass(ns, cls);
    std::string xml = "<VALUE.OBJECT>\n";
    CimXmlWriter::appendClass(xml, cls);
    xml += "</VALUE.OBJECT>\n";
    _out << xml;
}

CIMClass XmlTarget::findClass(const CIMNamespaceName& ns, const CIMName& name)
{
    return _inner.findClass(ns, name);
}

CIMObjectPath XmlTarget::createInstance(const CIMNamespaceName& ns, const CIMInstance& inst)
{
    CIMObjectPath path = _inner.createInstance(ns, inst);
    std::string xml = "<VALUE.OBJECT>\n";
    CimXmlWriter::appendInstance(xml, inst);
    xml += "</VALUE.OBJECT>\n";
    _out << xml;
    return path;
}

}  // namespace Mof
}  // namespace Pegasus
