#include "TInventoryActions.h"

#include <ostream>
#include <set>

#include <nlohmann/json.hpp>

#include "ICIMClass.h"
#include "ICIMMethodDecl.h"
#include "ICIMParameterDecl.h"
#include "TCIMContext.h"
#include "TCIMReference.h"
#include "TInventoryCollector.h"

namespace NQRVKTA20 {

using nlohmann::json;

namespace {

TNamedValue Named(std::string const& name, TCIMValue const& value)
{
    TNamedValue named;
    named.fName = name;
    named.fType = value.GetType().GetName();
    named.fValue = value.ToString(10);
    named.fNull = value.IsNull();
    return named;
}

std::string Trimmed(std::string const& text)
{
    std::string::size_type const first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The argument text as a value of the parameter's declared type; an array
// parameter takes its elements separated by commas.
TCIMValue TypedArgument(ICIMParameterDecl const& decl, std::string const& text)
{
    TCIMContext const none;
    TCIMValue::TCIMType const type = decl.GetType(none);
    if (!decl.IsArray(none) && !type.IsArray()) {
        TCIMValue value(type);
        value.Set(text);
        return value;
    }
    TCIMValue::TCIMType const element = type.GetElementType();
    std::vector<TCIMValue> elements;
    std::string::size_type start = 0;
    while (!text.empty()) {
        std::string::size_type const comma = text.find(',', start);
        TCIMValue value(element);
        value.Set(Trimmed(text.substr(start, comma == std::string::npos ? comma : comma - start)));
        elements.push_back(value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return TCIMValue(element, 0, elements);
}

json NamedJson(TNamedValue const& named)
{
    return {{"name", named.fName},
            {"type", named.fType},
            {"value", named.fNull ? json() : json(named.fValue)}};
}

json TreeJson(std::vector<TClassNode> const& nodes)
{
    json list = json::array();
    for (TClassNode const& node : nodes)
        list.push_back({{"name", node.fName},
                        {"abstract", node.fAbstract},
                        {"subclasses", TreeJson(node.fSubclasses)}});
    return list;
}

void WriteTreeText(std::ostream& out, std::vector<TClassNode> const& nodes, std::size_t depth)
{
    for (TClassNode const& node : nodes) {
        out << std::string(2 * depth, ' ') << node.fName << (node.fAbstract ? " (abstract)" : "")
            << "\n";
        WriteTreeText(out, node.fSubclasses, depth + 1);
    }
}

TClassNode BuildNode(boost::shared_ptr<ICIMClass> const& cls, std::set<ICIMClass*>& placed)
{
    TCIMContext const none;
    TClassNode node;
    node.fName = cls->GetName(none);
    node.fAbstract = cls->IsAbstract(none);
    placed.insert(cls.get());
    std::vector<boost::shared_ptr<ICIMClass>> children;
    cls->EnumerateSubClasses(
        [&children](boost::shared_ptr<ICIMClass> child) {
            if (child)
                children.push_back(child);
            return true;
        },
        false, none);
    for (boost::shared_ptr<ICIMClass> const& child : children)
        if (placed.count(child.get()) == 0)
            node.fSubclasses.push_back(BuildNode(child, placed));
    return node;
}

} // namespace

bool ParseArguments(std::vector<std::string> const& texts,
                    std::vector<std::pair<std::string, std::string>>& arguments, std::string& bad)
{
    arguments.clear();
    for (std::string const& text : texts) {
        std::string::size_type const equals = text.find('=');
        if (equals == std::string::npos || equals == 0) {
            bad = text;
            return false;
        }
        arguments.push_back(std::make_pair(text.substr(0, equals), text.substr(equals + 1)));
    }
    return true;
}

TMethodResult InvokeMethod(boost::shared_ptr<ICIMNamespace> const& nameSpace,
                           TMethodCall const& call)
{
    TMethodResult result;
    result.fPath = call.fPath;
    result.fMethod = call.fMethod;
    std::string step = "finding the class";
    try {
        TCIMContext const none;
        TCIMReference reference(nameSpace, none);
        reference.SetPath(call.fPath);
        std::string const className = reference.GetClassName();
        if (className.empty()) {
            result.fError = "the object path \"" + call.fPath + "\" names no class";
            return result;
        }
        boost::shared_ptr<ICIMClass> cls = nameSpace->GetClass(className, none);
        if (!cls) {
            result.fError = "the namespace has no class " + className;
            return result;
        }
        boost::shared_ptr<ICIMMethodDecl> method = cls->GetMethodDecl(call.fMethod, none);
        if (!method) {
            result.fError = "class " + className + " has no method " + call.fMethod;
            return result;
        }
        TCIMContext in;
        for (auto const& argument : call.fArguments) {
            step = "reading the argument " + argument.first;
            boost::shared_ptr<ICIMParameterDecl> decl =
                method->GetParameterDecl(argument.first, none);
            TCIMValue const value = TypedArgument(*decl, argument.second);
            in[decl->GetName(none)] = value;
            result.fInputs.push_back(Named(decl->GetName(none), value));
        }
        step = "invoking " + call.fMethod;
        TCIMContext out;
        TCIMValue const returned = cls->InvokeMethod(reference, call.fMethod, in, out, none);
        result.fReturn = Named("return value", returned);
        for (auto const& entry : out)
            result.fOutputs.push_back(Named(entry.first, entry.second));
    } catch (...) {
        result.fError = step + " failed: " + CurrentExceptionText();
    }
    return result;
}

void WriteMethodResult(std::ostream& out, TMethodResult const& result, bool asJson)
{
    if (asJson) {
        json inputs = json::array(), outputs = json::array();
        for (TNamedValue const& value : result.fInputs)
            inputs.push_back(NamedJson(value));
        for (TNamedValue const& value : result.fOutputs)
            outputs.push_back(NamedJson(value));
        json document = {{"path", result.fPath},
                         {"method", result.fMethod},
                         {"in", inputs},
                         {"error", result.fError.empty() ? json() : json(result.fError)}};
        if (result.fError.empty()) {
            document["return"] = NamedJson(result.fReturn);
            document["out"] = outputs;
        }
        out << document.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
        return;
    }
    out << "Method " << result.fMethod << " of " << result.fPath << "\n";
    for (TNamedValue const& value : result.fInputs)
        out << "  in  " << value.fName << " = " << value.fValue << " (" << value.fType << ")\n";
    if (!result.fError.empty()) {
        out << "  failed: " << result.fError << "\n";
        return;
    }
    out << "  return value = " << (result.fReturn.fNull ? "(null)" : result.fReturn.fValue) << " ("
        << result.fReturn.fType << ")\n";
    for (TNamedValue const& value : result.fOutputs)
        out << "  out " << value.fName << " = " << (value.fNull ? "(null)" : value.fValue) << " ("
            << value.fType << ")\n";
}

std::vector<TClassNode> BuildClassTree(boost::shared_ptr<ICIMNamespace> const& nameSpace)
{
    std::vector<boost::shared_ptr<ICIMClass>> listed;
    nameSpace->EnumerateRootClasses(
        [&listed](boost::shared_ptr<ICIMClass> cls) {
            if (cls)
                listed.push_back(cls);
            return true;
        },
        TCIMContext());
    // A namespace may list subclasses among its root classes (depth first,
    // each after its superclass): a class already placed below another is
    // not shown again at the top.
    std::set<ICIMClass*> placed;
    std::vector<TClassNode> roots;
    for (boost::shared_ptr<ICIMClass> const& cls : listed)
        if (placed.count(cls.get()) == 0)
            roots.push_back(BuildNode(cls, placed));
    return roots;
}

void WriteClassTree(std::ostream& out, std::vector<TClassNode> const& roots, bool asJson)
{
    if (asJson)
        out << TreeJson(roots).dump(2) << "\n";
    else
        WriteTreeText(out, roots, 0);
}

} // namespace NQRVKTA20
