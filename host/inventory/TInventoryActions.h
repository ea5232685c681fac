// The two things kta-inventory does instead of an inventory: invoke one CIM
// method through the namespace (--invoke), and show the namespace's class
// tree (--tree).  Each has a result type, the code that fills it from a
// started namespace, and its text and JSON output.
#ifndef NQRVKTA20_TINVENTORYACTIONS_H
#define NQRVKTA20_TINVENTORYACTIONS_H

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "ICIMNamespace.h"

namespace NQRVKTA20 {

// One value of a method call as text.
struct TNamedValue {
    std::string fName;
    std::string fType;
    std::string fValue;
    bool fNull = false;
};

struct TMethodCall {
    std::string fPath; // object path of the instance (or class)
    std::string fMethod;
    // name=value arguments, split at the first "="
    std::vector<std::pair<std::string, std::string>> fArguments;
};

struct TMethodResult {
    std::string fPath;
    std::string fMethod;
    std::vector<TNamedValue> fInputs; // as sent, with their declared types
    TNamedValue fReturn;
    std::vector<TNamedValue> fOutputs;
    std::string fError; // empty when the call succeeded
};

// Splits "name=value" texts; returns false and names the offending text in
// `bad` when one has no "=" or an empty name.
bool ParseArguments(std::vector<std::string> const& texts,
                    std::vector<std::pair<std::string, std::string>>& arguments, std::string& bad);

// Finds the path's class in the namespace, types every argument from the
// method's parameter declaration and invokes the method on the class with
// the object path.  Never throws: failures are in fError.
TMethodResult InvokeMethod(boost::shared_ptr<ICIMNamespace> const& nameSpace,
                           TMethodCall const& call);
void WriteMethodResult(std::ostream& out, TMethodResult const& result, bool json);

struct TClassNode {
    std::string fName;
    bool fAbstract = false;
    std::vector<TClassNode> fSubclasses;
};

// The namespace's classes as a tree: the classes of EnumerateRootClasses,
// each with its subclasses below it.  Throws what the namespace throws.
std::vector<TClassNode> BuildClassTree(boost::shared_ptr<ICIMNamespace> const& nameSpace);
void WriteClassTree(std::ostream& out, std::vector<TClassNode> const& roots, bool json);

} // namespace NQRVKTA20

#endif
