#ifndef NQRVKTA20_TCIMREFERENCE_H
#define NQRVKTA20_TCIMREFERENCE_H

#include <map>
#include <string>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

namespace NQRVKTA20 {

class ICIMNamespace;
class TCIMValue;
// Also declared, identically, in TCIMContext.h (which gives the complete
// value type); repeated here so this header stands on its own.
typedef std::map<std::string, TCIMValue> TCIMContext;

// A CIM object path (reference) and the host namespace it belongs to.
//
// The path is kept as text, exactly as given; forms such as
//   //host/root/cimv2:CIM_Foo.Name="x"
//   root/cimv2:CIM_Foo.Name="a:b.c",Id=3
//   CIM_Foo.Key=1     CIM_Foo     CIM_Foo=@
// are understood by GetClassName().
//
// The namespace is held WEAKLY: references live inside the values of the
// namespace's own instances, and a strong pointer would keep the namespace
// alive for ever.  GetNamespace() is empty once the namespace is gone.
//
// Value type; distinct objects may be used from different threads freely.
class TCIMReference {
public:
    // Empty path, no namespace.
    TCIMReference();
    // Empty path in `nameSpace`.  The context is accepted for the host's
    // calling convention; nothing of it is kept.
    TCIMReference(boost::shared_ptr<ICIMNamespace> nameSpace, TCIMContext ctx);

    void SetPath(const std::string& path) { fPath = path; }
    const std::string& GetPath() const { return fPath; }

    // The class name inside the path: the text after the host (a leading
    // "//host/") and the namespace (everything up to the last ':' before the
    // keys), up to the '.' or '=' that starts the keys.  Quoted key values
    // are never looked into.  Empty when the path names no class.
    std::string GetClassName() const;

    void SetNamespace(boost::shared_ptr<ICIMNamespace> nameSpace);
    // The namespace, or an empty pointer if none was set or it no longer
    // exists.
    boost::shared_ptr<ICIMNamespace> GetNamespace() const;

    // Compared by path text only (byte for byte); the namespace is ignored.
    bool operator==(const TCIMReference& other) const { return fPath == other.fPath; }
    bool operator!=(const TCIMReference& other) const { return fPath != other.fPath; }
    bool operator<(const TCIMReference& other) const { return fPath < other.fPath; }

private:
    std::string fPath;
    boost::weak_ptr<ICIMNamespace> fNamespace;
};

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TCIMREFERENCE_H
