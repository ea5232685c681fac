// From parsed declarations to CIM objects.  The checks made here are the
// ones that need qualifier declarations and classes; the grammar itself was
// checked by the parser.  Everything the target would reject anyway (an
// unknown superclass, a duplicate instance) is left to the target, so that
// the compiler and a server never disagree about what is valid.

#include "MofLoader.h"

#include "MofValues.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/Exception.h>

#include <cstdlib>

namespace Pegasus {
namespace Mof {

namespace {

enum : std::uint32_t
{
    kClass = 1, kAssociation = 2, kIndication = 4, kProperty = 8,
    kReference = 16, kMethod = 32, kParameter = 64,
};

std::string text(const String& s)
{
    return std::string(s.getCString());
}

// What a CIMException says, in the form a client sees from a server
// ("CIM_ERR_X: detail"), also for exceptions raised locally.
std::string describe(const CIMException& e)
{
    std::string message = text(e.getMessage());
    std::string code = cimStatusCodeToString(e.getCode());
    if (message.compare(0, 8, "CIM_ERR_") == 0)
        return message;
    return message.empty() ? code : code + ": " + message;
}

std::uint32_t scopeBits(const CIMScope& scope)
{
    static const CIMScope* const kScopes[] = {
        &CIMScope::CLASS, &CIMScope::ASSOCIATION, &CIMScope::INDICATION, &CIMScope::PROPERTY,
        &CIMScope::REFERENCE, &CIMScope::METHOD, &CIMScope::PARAMETER,
    };
    std::uint32_t bits = 0;
    for (std::uint32_t i = 0; i < 7; ++i)
        if (scope.hasScope(*kScopes[i]))
            bits |= 1u << i;
    return bits;
}

CIMScope scopeFromBits(std::uint32_t bits)
{
    static const CIMScope* const kScopes[] = {
        &CIMScope::CLASS, &CIMScope::ASSOCIATION, &CIMScope::INDICATION, &CIMScope::PROPERTY,
        &CIMScope::REFERENCE, &CIMScope::METHOD, &CIMScope::PARAMETER,
    };
    CIMScope scope;
    for (std::uint32_t i = 0; i < 7; ++i)
        if (bits & (1u << i))
            scope.addScope(*kScopes[i]);
    return scope;
}

// True when the list holds `name` without a value or with TRUE.
bool flagged(const std::vector<QualifierSpec>& qualifiers, const char* name)
{
    for (const QualifierSpec& q : qualifiers)
    {
        if (foldedName(q.name) == name)
            return !q.hasValue
                || (q.value.kind == Literal::Kind::Boolean && q.value.boolean);
    }
    return false;
}

bool booleanQualifier(const CIMClass& cls, const char* name)
{
    Uint32 i = cls.findQualifier(CIMName(name));
    if (i == PEG_NOT_FOUND)
        return false;
    const CIMValue& v = cls.getQualifier(i).getValue();
    Boolean b = false;
    if (v.getType() == CIMTYPE_BOOLEAN && !v.isArray() && !v.isNull())
        v.get(b);
    return b;
}

std::string stringQualifier(const CIMClass& cls, const char* name)
{
    Uint32 i = cls.findQualifier(CIMName(name));
    if (i == PEG_NOT_FOUND)
        return std::string();
    const CIMValue& v = cls.getQualifier(i).getValue();
    String s;
    if (v.getType() == CIMTYPE_STRING && !v.isArray() && !v.isNull())
        v.get(s);
    return text(s);
}

std::vector<long> versionNumbers(const std::string& version)
{
    std::vector<long> numbers;
    const char* p = version.c_str();
    while (*p)
    {
        char* end = nullptr;
        numbers.push_back(std::strtol(p, &end, 10));
        if (end == p)
            break;
        p = *end == '.' ? end + 1 : end;
        if (*end != '.')
            break;
    }
    return numbers;
}

}  // namespace

Loader::Loader(MofTarget& target, Diagnostics& diagnostics, LoaderOptions options)
    : _target(target), _diagnostics(diagnostics), _options(options)
{
    // Outcomes of queued calls come before any later message.
    _diagnostics.setBeforeMessage([this] { _target.flush(); });
}

Loader::~Loader()
{
    _diagnostics.setBeforeMessage(nullptr);
}

void Loader::finish()
{
    _target.flush();
}

bool Loader::mayWrite()
{
    // A queued call may still fail and end the writing.
    _target.flush();
    return writing();
}

void Loader::report(const Failure& failure)
{
    _diagnostics.error(Diagnostics::semanticError(failure.where, failure.message));
}

void Loader::setNamespace(const CIMNamespaceName& ns)
{
    _ns = ns;
    _nsKey = foldedName(text(ns.getString())) + ":";
    if (mayWrite())
        _target.ensureNamespace(ns);
}

CIMQualifierDecl Loader::declaration(const std::string& name)
{
    auto it = _declared.find(_nsKey + foldedName(name));
    if (it != _declared.end())
        return it->second;
    return _target.findQualifier(_ns, CIMName(name.c_str()));
}

CIMQualifier Loader::qualifier(const QualifierSpec& spec, std::uint32_t scope,
                               const char* element)
{
    CIMQualifierDecl decl = declaration(spec.name);
    if (decl.isUninitialized())
        throw Failure{"Could not find declaration for Qualifier named " + spec.name, spec.where};
    if ((scopeBits(decl.getScope()) & scope) == 0)
        throw Failure{"Qualifier " + spec.name + " is not allowed on a " + element
                          + " (its declared scope is " + text(decl.getScope().toString()) + ")",
                      spec.where};

    CIMValue value;
    if (!spec.hasValue)
    {
        // A bare boolean qualifier means TRUE; any other takes its default.
        if (decl.getType() == CIMTYPE_BOOLEAN && !decl.isArray())
            value = CIMValue(Boolean(true));
        else
            value = decl.getValue();
    }
    else
    {
        ValueTarget target;
        target.type = decl.getType();
        target.isArray = decl.isArray();
        target.scalarAsArray = true;
        try
        {
            value = toValue(spec.value, target);
        }
        catch (const ValueError& e)
        {
            throw Failure{"Invalid value for qualifier " + spec.name + ": " + e.message, e.where};
        }
    }

    CIMFlavor flavor = decl.getFlavor();
    const FlavorSpec& given = spec.flavor;
    if (given.enableOverride && given.disableOverride)
        throw Failure{"Qualifier " + spec.name + " cannot be both EnableOverride and DisableOverride",
                      spec.where};
    if (given.toSubclass && given.restricted)
        throw Failure{"Qualifier " + spec.name + " cannot be both ToSubclass and Restricted",
                      spec.where};
    if (given.enableOverride)
    {
        flavor.removeFlavor(CIMFlavor::DISABLEOVERRIDE);
        flavor.addFlavor(CIMFlavor::OVERRIDABLE);
    }
    if (given.disableOverride)
    {
        flavor.removeFlavor(CIMFlavor::OVERRIDABLE);
        flavor.addFlavor(CIMFlavor::DISABLEOVERRIDE);
    }
    if (given.toSubclass)
    {
        flavor.removeFlavor(CIMFlavor::RESTRICTED);
        flavor.addFlavor(CIMFlavor::TOSUBCLASS);
    }
    if (given.restricted)
    {
        flavor.removeFlavor(CIMFlavor::TOSUBCLASS);
        flavor.addFlavor(CIMFlavor::RESTRICTED);
    }
    if (given.translatable)
        flavor.addFlavor(CIMFlavor::TRANSLATABLE);
    if (given.toInstance)
        flavor.addFlavor(CIMFlavor::TOINSTANCE);
    return CIMQualifier(decl.getName(), value, flavor);
}

void Loader::addQualifiers(const std::vector<QualifierSpec>& specs, std::uint32_t scope,
                           const char* element,
                           const std::function<void(const CIMQualifier&)>& add)
{
    for (const QualifierSpec& spec : specs)
    {
        CIMQualifier q = qualifier(spec, scope, element);
        try
        {
            add(q);
        }
        catch (const AlreadyExistsException&)
        {
            throw Failure{"Qualifier " + spec.name + " is given twice", spec.where};
        }
    }
}

void Loader::qualifierDecl(const QualifierDeclSpec& spec)
{
    CIMQualifierDecl decl;
    try
    {
        const FlavorSpec& f = spec.flavor;
        if (f.enableOverride && f.disableOverride)
            throw Failure{"Qualifier " + spec.name
                              + " cannot be both EnableOverride and DisableOverride", spec.where};
        if (f.toSubclass && f.restricted)
            throw Failure{"Qualifier " + spec.name + " cannot be both ToSubclass and Restricted",
                          spec.where};
        CIMFlavor flavor = CIMFlavor::DEFAULTS;
        if (f.any())
        {
            flavor = CIMFlavor::NONE;
            if (f.enableOverride)
                flavor.addFlavor(CIMFlavor::OVERRIDABLE);
            if (f.disableOverride)
                flavor.addFlavor(CIMFlavor::DISABLEOVERRIDE);
            if (f.toSubclass)
                flavor.addFlavor(CIMFlavor::TOSUBCLASS);
            if (f.restricted)
                flavor.addFlavor(CIMFlavor::RESTRICTED);
            if (f.translatable)
                flavor.addFlavor(CIMFlavor::TRANSLATABLE);
            if (f.toInstance)
                flavor.addFlavor(CIMFlavor::TOINSTANCE);
        }
        CIMValue value(spec.type.type, spec.type.isArray, spec.type.arraySize);
        if (spec.hasDefault)
        {
            ValueTarget target;
            target.type = spec.type.type;
            target.isArray = spec.type.isArray;
            target.scalarAsArray = true;
            value = toValue(spec.defaultValue, target);
        }
        decl = CIMQualifierDecl(CIMName(spec.name.c_str()), value, scopeFromBits(spec.scope),
                                flavor, spec.type.arraySize);
    }
    catch (const Failure& failure)
    {
        report(failure);
        return;
    }
    catch (const ValueError& e)
    {
        report({"Invalid default value for qualifier " + spec.name + ": " + e.message, e.where});
        return;
    }
    catch (const Exception& e)
    {
        report({text(e.getMessage()), spec.where});
        return;
    }

    _declared[_nsKey + foldedName(spec.name)] = decl;
    if (!writing())
        return;
    std::string name = spec.name;
    Location where = spec.where;
    _target.setQualifierQueued(_ns, decl, [this, name, where](const CIMException* e) {
        if (e)
            report({"Error adding qualifier " + name + " to the repository: " + describe(*e),
                    where});
    });
}

CIMClass Loader::buildClass(const ClassSpec& spec)
{
    CIMClass cls(CIMName(spec.name.c_str()),
                 spec.superClass.empty() ? CIMName() : CIMName(spec.superClass.c_str()));
    std::uint32_t classScope = kClass;
    const char* element = "class";
    if (flagged(spec.qualifiers, "association"))
    {
        classScope |= kAssociation;
        element = "association";
    }
    if (flagged(spec.qualifiers, "indication"))
    {
        classScope |= kIndication;
        element = "indication";
    }
    addQualifiers(spec.qualifiers, classScope, element,
                  [&cls](const CIMQualifier& q) { cls.addQualifier(q); });

    for (const PropertySpec& p : spec.properties)
    {
        const TypeSpec& type = p.type;
        bool isRef = type.type == CIMTYPE_REFERENCE;
        if (isRef && type.isArray)
            throw Failure{"Reference property " + p.name + " cannot be an array", p.where};
        CIMValue value(type.type, type.isArray, type.arraySize);
        if (p.hasDefault)
        {
            ValueTarget target;
            target.type = type.type;
            target.isArray = type.isArray;
            target.aliases = [this](const std::string& a, CIMObjectPath& path) {
                return lookupAlias(a, path);
            };
            try
            {
                value = toValue(p.defaultValue, target);
            }
            catch (const ValueError& e)
            {
                throw Failure{"Invalid default value for property " + p.name + ": " + e.message,
                              e.where};
            }
            if (type.arraySize != 0 && !value.isNull() && value.getArraySize() != type.arraySize)
                throw Failure{"Property " + p.name + " has room for "
                                  + std::to_string(type.arraySize) + " elements, its default has "
                                  + std::to_string(value.getArraySize()),
                              p.defaultValue.where};
            if (type.arraySize != 0 && value.isNull())
                value = CIMValue(type.type, true, type.arraySize);
        }
        CIMProperty property(CIMName(p.name.c_str()), value, type.arraySize,
                             isRef ? CIMName(type.referenceClass.c_str()) : CIMName());
        addQualifiers(p.qualifiers, isRef ? kReference : kProperty,
                      isRef ? "reference" : "property",
                      [&property](const CIMQualifier& q) { property.addQualifier(q); });
        try
        {
            cls.addProperty(property);
        }
        catch (const AlreadyExistsException&)
        {
            throw Failure{"Property " + p.name + " is declared twice", p.where};
        }
    }

    for (const MethodSpec& m : spec.methods)
    {
        if (m.returnType.isArray)
            throw Failure{"Method " + m.name + " cannot return an array", m.where};
        CIMMethod method(CIMName(m.name.c_str()), m.returnType.type);
        addQualifiers(m.qualifiers, kMethod, "method",
                      [&method](const CIMQualifier& q) { method.addQualifier(q); });
        for (const ParameterSpec& p : m.parameters)
        {
            bool isRef = p.type.type == CIMTYPE_REFERENCE;
            CIMParameter parameter(CIMName(p.name.c_str()), p.type.type, p.type.isArray,
                                   p.type.arraySize,
                                   isRef ? CIMName(p.type.referenceClass.c_str()) : CIMName());
            addQualifiers(p.qualifiers, kParameter, "parameter",
                          [&parameter](const CIMQualifier& q) { parameter.addQualifier(q); });
            try
            {
                method.addParameter(parameter);
            }
            catch (const AlreadyExistsException&)
            {
                throw Failure{"Parameter " + p.name + " is declared twice", p.where};
            }
        }
        try
        {
            cls.addMethod(method);
        }
        catch (const AlreadyExistsException&)
        {
            throw Failure{"Method " + m.name + " is declared twice", m.where};
        }
    }
    return cls;
}

void Loader::classDecl(const ClassSpec& spec)
{
    CIMClass cls;
    try
    {
        cls = buildClass(spec);
        if (!spec.alias.empty())
            defineAlias(spec.alias, CIMObjectPath(String(), CIMNamespaceName(), cls.getClassName()),
                        spec.where);
    }
    catch (const Failure& failure)
    {
        report(failure);
        return;
    }
    catch (const Exception& e)
    {
        report({text(e.getMessage()), spec.where});
        return;
    }
    if (!_options.allowClassUpdate)
    {
        // Nothing waits for the outcome: the call can be queued.
        if (!writing())
            return;
        _classes.erase(_nsKey + foldedName(spec.name));
        std::string name = spec.name;
        Location where = spec.where;
        _target.createClassQueued(_ns, cls, [this, name, where](const CIMException* e) {
            if (!e)
                return;
            if (e->getCode() != CIM_ERR_ALREADY_EXISTS)
                report({"Error adding class " + name + " to the repository: " + describe(*e),
                        where});
            else
                _diagnostics.warning("Warning:  Class " + name
                                     + " already exists in the repository");
        });
        return;
    }
    if (!mayWrite())
        return;
    _classes.erase(_nsKey + foldedName(spec.name));
    try
    {
        _target.createClass(_ns, cls);
    }
    catch (const CIMException& e)
    {
        if (e.getCode() != CIM_ERR_ALREADY_EXISTS)
        {
            report({"Error adding class " + spec.name + " to the repository: " + describe(e),
                    spec.where});
            return;
        }
        if (!_options.allowClassUpdate)
        {
            _diagnostics.warning("Warning:  Class " + spec.name + " already exists in the repository");
            return;
        }
        updateClass(cls, spec.where);
    }
}

void Loader::updateClass(const CIMClass& cls, const Location& where)
{
    std::string name = text(cls.getClassName().getString());
    CIMClass existing = _target.findClass(_ns, cls.getClassName());
    if (booleanQualifier(cls, "Experimental") && !_options.allowExperimental)
    {
        report({"Error modifying class " + name
                    + ": the class is experimental; updating it needs -aE", where});
        return;
    }
    if (!existing.isUninitialized() && !_options.allowVersionChange)
    {
        std::string oldVersion = stringQualifier(existing, "Version");
        std::string newVersion = stringQualifier(cls, "Version");
        if (!oldVersion.empty() && !newVersion.empty() && oldVersion != newVersion)
        {
            std::vector<long> o = versionNumbers(oldVersion), n = versionNumbers(newVersion);
            if (o.empty() || n.empty() || o[0] != n[0] || n < o)
            {
                report({"Error modifying class " + name + ": changing its version from "
                            + oldVersion + " to " + newVersion + " needs -aV", where});
                return;
            }
        }
    }
    try
    {
        _target.modifyClass(_ns, cls);
    }
    catch (const CIMException& e)
    {
        report({"Error modifying class " + name + " in the repository: " + describe(e), where});
    }
}

CIMClass Loader::classFor(const std::string& name)
{
    std::string key = _nsKey + foldedName(name);
    auto it = _classes.find(key);
    if (it != _classes.end())
        return it->second;
    CIMClass cls = _target.findClass(_ns, CIMName(name.c_str()));
    if (!cls.isUninitialized())
        _classes[key] = cls;
    return cls;
}

CIMInstance Loader::buildInstance(const InstanceSpec& spec, CIMClass& cls)
{
    CIMInstance inst(cls.getClassName());
    addQualifiers(spec.qualifiers, kClass | kAssociation | kIndication, "instance",
                  [&inst](const CIMQualifier& q) { inst.addQualifier(q); });
    for (const PropertyValueSpec& pv : spec.properties)
    {
        Uint32 index = cls.findProperty(CIMName(pv.name.c_str()));
        if (index == PEG_NOT_FOUND)
            throw Failure{"Property " + pv.name + " is not a property of class " + spec.className,
                          pv.where};
        CIMConstProperty declared = cls.getProperty(index);
        ValueTarget target;
        target.type = declared.getType();
        target.isArray = declared.isArray();
        target.aliases = [this](const std::string& a, CIMObjectPath& path) {
            return lookupAlias(a, path);
        };
        CIMValue value;
        try
        {
            value = toValue(pv.value, target);
        }
        catch (const ValueError& e)
        {
            throw Failure{"Invalid value for property " + pv.name + ": " + e.message, e.where};
        }
        CIMProperty property(declared.getName(), value, 0, declared.getReferenceClassName(),
                             declared.getClassOrigin());
        bool isRef = declared.getType() == CIMTYPE_REFERENCE;
        addQualifiers(pv.qualifiers, isRef ? kReference : kProperty,
                      isRef ? "reference" : "property",
                      [&property](const CIMQualifier& q) { property.addQualifier(q); });
        try
        {
            inst.addProperty(property);
        }
        catch (const AlreadyExistsException&)
        {
            throw Failure{"Property " + pv.name + " is given twice", pv.where};
        }
    }
    return inst;
}

void Loader::instanceDecl(const InstanceSpec& spec)
{
    CIMInstance inst;
    CIMObjectPath path;
    try
    {
        CIMClass cls = classFor(spec.className);
        if (cls.isUninitialized())
        {
            // While nothing is written, classes of this compilation are not
            // in the target: nothing to check the instance against.
            if (!writing())
                return;
            throw Failure{"Class " + spec.className + " of an instance declaration does not exist",
                          spec.where};
        }
        inst = buildInstance(spec, cls);
        try
        {
            path = inst.buildPath(cls);
            inst.setPath(path);
        }
        catch (const Exception&)
        {
            // A missing key property: the target decides what that means.
        }
    }
    catch (const Failure& failure)
    {
        report(failure);
        return;
    }
    catch (const Exception& e)
    {
        report({text(e.getMessage()), spec.where});
        return;
    }

    // Nothing waits for the outcome of an instance without an alias: it can
    // be queued.  (Here and for the other queued calls, writing() may not
    // know yet of a queued call that failed; the target then does not
    // perform the calls queued after it.)
    if (writing() && spec.alias.empty())
    {
        std::string className = spec.className;
        Location where = spec.where;
        _target.createInstanceQueued(_ns, inst, [this, className, where](const CIMException* e) {
            if (e)
                instanceFailed(*e, className, where);
        });
    }
    else if (mayWrite())
    {
        try
        {
            CIMObjectPath created = _target.createInstance(_ns, inst);
            if (path.getClassName().isNull())
                path = created;
        }
        catch (const CIMException& e)
        {
            if (!instanceFailed(e, spec.className, spec.where))
                return;
        }
    }
    if (!spec.alias.empty())
    {
        try
        {
            defineAlias(spec.alias, path, spec.where);
        }
        catch (const Failure& failure)
        {
            report(failure);
        }
    }
}

bool Loader::instanceFailed(const CIMException& e, const std::string& className,
                            const Location& where)
{
    if (e.getCode() != CIM_ERR_ALREADY_EXISTS)
    {
        report({"Error adding an instance of " + className + " to the repository: " + describe(e),
                where});
        return false;
    }
    _diagnostics.warning("Warning: the instance already exists.\n"
                         "In this implementation, that means it cannot be changed.");
    return true;
}

bool Loader::lookupAlias(const std::string& alias, CIMObjectPath& path) const
{
    auto it = _aliases.find(foldedName(alias));
    if (it == _aliases.end())
        return false;
    path = it->second;
    return true;
}

void Loader::defineAlias(const std::string& alias, const CIMObjectPath& path,
                         const Location& where)
{
    if (!_aliases.emplace(foldedName(alias), path).second)
        throw Failure{"Alias $" + alias + " is already defined", where};
}

}  // namespace Mof
}  // namespace Pegasus
