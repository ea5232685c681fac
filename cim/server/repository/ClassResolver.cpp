#include "ClassResolver.h"

#include <string>

#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

[[noreturn]] void invalid(const String& message)
{
    throw CIMException(CIM_ERR_INVALID_PARAMETER, message);
}

String quoted(const CIMName& name)
{
    return String("\"") + name.getString() + "\"";
}

// Where a qualifier sits, for the scope check.
enum ElementKind { CLASS_ELEMENT, PROPERTY_ELEMENT, REFERENCE_ELEMENT, METHOD_ELEMENT,
                   PARAMETER_ELEMENT };

struct ClassKind
{
    bool association;
    bool indication;
};

bool hasTrueQualifier(const CIMConstClass& c, const char* name)
{
    Uint32 i = c.findQualifier(CIMName(name));
    if (i == PEG_NOT_FOUND)
        return false;
    const CIMValue& v = c.getQualifier(i).getValue();
    if (v.getType() != CIMTYPE_BOOLEAN || v.isArray() || v.isNull())
        return false;
    Boolean b = false;
    v.get(b);
    return b;
}

bool scopeAllows(const CIMScope& scope, ElementKind kind, const ClassKind& classKind)
{
    switch (kind)
    {
    case CLASS_ELEMENT:
        return scope.hasScope(CIMScope::CLASS) ||
               (classKind.association && scope.hasScope(CIMScope::ASSOCIATION)) ||
               (classKind.indication && scope.hasScope(CIMScope::INDICATION));
    case PROPERTY_ELEMENT:
        return scope.hasScope(CIMScope::PROPERTY);
    case REFERENCE_ELEMENT:
        // References are properties too; qualifiers declared for
        // properties only are accepted on them.
        return scope.hasScope(CIMScope::REFERENCE) || scope.hasScope(CIMScope::PROPERTY);
    case METHOD_ELEMENT:
        return scope.hasScope(CIMScope::METHOD);
    case PARAMETER_ELEMENT:
        return scope.hasScope(CIMScope::PARAMETER);
    }
    return false;
}

// The qualifiers an element declares itself, checked against their
// declarations and given their effective flavors.
template <class H>
Array<CIMQualifier> checkedQualifiers(const H& element, ElementKind kind,
                                      const ClassKind& classKind, const String& where,
                                      const SchemaLookup& lookup)
{
    Array<CIMQualifier> result;
    for (Uint32 i = 0; i < element.getQualifierCount(); i++)
    {
        CIMConstQualifier q = element.getQualifier(i);
        CIMConstQualifierDecl decl = lookup.findQualifierDecl(q.getName());
        if (decl.isUninitialized())
        {
            invalid(String("qualifier ") + quoted(q.getName()) + " on " + where +
                    " is not declared in the namespace");
        }
        if (!scopeAllows(decl.getScope(), kind, classKind))
        {
            invalid(String("qualifier ") + quoted(q.getName()) + " may not be used on " +
                    where + " (its scope is " + decl.getScope().toString() + ")");
        }
        if (q.getType() != decl.getType() || q.isArray() != decl.isArray())
        {
            invalid(String("qualifier ") + quoted(q.getName()) + " on " + where + " has type " +
                    cimTypeToString(q.getType()) + (q.isArray() ? "[]" : "") +
                    " but is declared as " + cimTypeToString(decl.getType()) +
                    (decl.isArray() ? "[]" : ""));
        }
        result.append(CIMQualifier(q.getName(), q.getValue(),
                                   ClassResolver::effectiveFlavor(q.getFlavor(), decl.getFlavor()),
                                   false));
    }
    return result;
}

// Adds to `target` the qualifiers of the inherited element that reach
// subclasses and are not redefined locally (marked propagated), then the
// local ones.  A DisableOverride qualifier may only be repeated with the
// same value.
template <class Inherited, class Target>
void mergeQualifiers(const Inherited* inherited, const Array<CIMQualifier>& local,
                     const String& where, Target& target)
{
    if (inherited)
    {
        for (Uint32 i = 0; i < inherited->getQualifierCount(); i++)
        {
            CIMConstQualifier iq = inherited->getQualifier(i);
            if (!iq.getFlavor().hasFlavor(CIMFlavor::TOSUBCLASS))
                continue;
            bool redefined = false;
            for (Uint32 j = 0; j < local.size(); j++)
            {
                if (!local[j].getName().equal(iq.getName()))
                    continue;
                redefined = true;
                if (iq.getFlavor().hasFlavor(CIMFlavor::DISABLEOVERRIDE) &&
                    !local[j].getValue().equal(iq.getValue()))
                {
                    invalid(String("qualifier ") + quoted(iq.getName()) + " on " + where +
                            " cannot be overridden (its flavor is DisableOverride)");
                }
                break;
            }
            if (!redefined)
            {
                CIMQualifier copy = iq.clone();
                copy.setPropagated(true);
                target.addQualifier(copy);
            }
        }
    }
    for (Uint32 j = 0; j < local.size(); j++)
        target.addQualifier(local[j]);
}

// The inherited member a local one overrides, if any.  An Override
// qualifier must name the member itself and an inherited member must exist.
template <class Member>
Uint32 overriddenIndex(const Member& local, Uint32 inheritedIndex, const char* kind,
                       const String& where)
{
    Uint32 oi = local.findQualifier(CIMName("Override"));
    if (oi == PEG_NOT_FOUND)
        return inheritedIndex;
    const CIMValue& v = local.getQualifier(oi).getValue();
    if (!v.isNull() && v.getType() == CIMTYPE_STRING && !v.isArray())
    {
        String target;
        v.get(target);
        // The value may be qualified with a class name ("CIM_System.Name").
        Uint32 dot = target.reverseFind('.');
        if (dot != PEG_NOT_FOUND)
            target = target.subString(dot + 1);
        if (!String::equalNoCase(target, local.getName().getString()))
        {
            invalid(where + " has Override(\"" + target + "\"), which does not name the " +
                    kind + " itself");
        }
    }
    if (inheritedIndex == PEG_NOT_FOUND)
        invalid(where + " has an Override qualifier but overrides no inherited " + kind);
    return inheritedIndex;
}

void checkReferenceClass(const CIMName& referenceClass, const CIMName& className,
                         const String& where, const SchemaLookup& lookup)
{
    if (referenceClass.isNull() || referenceClass.equal(className))
        return;
    if (!lookup.classExists(referenceClass))
    {
        invalid(where + " refers to class " + referenceClass.getString() +
                ", which does not exist in the namespace");
    }
}

CIMParameter resolveParameter(const CIMConstParameter& lp, const CIMConstMethod* inheritedMethod,
                              const ClassKind& classKind, const CIMName& className,
                              const String& methodWhere, const SchemaLookup& lookup)
{
    String where = String("parameter ") + methodWhere + "." + lp.getName().getString();
    Array<CIMQualifier> local = checkedQualifiers(lp, PARAMETER_ELEMENT, classKind, where, lookup);
    checkReferenceClass(lp.getReferenceClassName(), className, where, lookup);
    CIMParameter p(lp.getName(), lp.getType(), lp.isArray(), lp.getArraySize(),
                   lp.getReferenceClassName());
    CIMConstParameter inherited;
    if (inheritedMethod)
    {
        Uint32 i = inheritedMethod->findParameter(lp.getName());
        if (i != PEG_NOT_FOUND)
            inherited = inheritedMethod->getParameter(i);
    }
    mergeQualifiers(inherited.isUninitialized() ? nullptr : &inherited, local, where, p);
    return p;
}

// A deep copy of a member's qualifiers minus the propagated ones.
template <class Source, class Target>
void copyLocalQualifiers(const Source& source, Target& target)
{
    for (Uint32 i = 0; i < source.getQualifierCount(); i++)
    {
        CIMConstQualifier q = source.getQualifier(i);
        if (!q.getPropagated())
            target.addQualifier(q.clone());
    }
}

template <class Source, class Target>
void copyAllQualifiers(const Source& source, Target& target)
{
    for (Uint32 i = 0; i < source.getQualifierCount(); i++)
        target.addQualifier(source.getQualifier(i).clone());
}

}  // namespace

// The flavor of a qualifier as written in a class is mostly unknowable:
// CIM-XML writers encode "no flavor given" either as no attributes (the
// CIM-XML defaults, OVERRIDABLE TOSUBCLASS) or as OVERRIDABLE="false"
// TOSUBCLASS="false", and the object model's default is an empty flavor.
// Those three forms therefore mean "as declared".  Any other combination
// can only tighten the declaration (DisableOverride, Restricted); a
// declaration's DisableOverride or Restricted cannot be loosened.
// Translatable and ToInstance add to the declared ones.
CIMFlavor ClassResolver::effectiveFlavor(const CIMFlavor& given, const CIMFlavor& declared)
{
    bool overridable = given.hasFlavor(CIMFlavor::OVERRIDABLE);
    bool disable = given.hasFlavor(CIMFlavor::DISABLEOVERRIDE);
    bool toSubclass = given.hasFlavor(CIMFlavor::TOSUBCLASS);
    bool restricted = given.hasFlavor(CIMFlavor::RESTRICTED);
    bool unspecified = (!overridable && !disable && !toSubclass && !restricted) ||
                       (overridable && toSubclass && !disable && !restricted) ||
                       (disable && restricted && !overridable && !toSubclass);

    bool resultDisable = declared.hasFlavor(CIMFlavor::DISABLEOVERRIDE);
    bool resultRestricted = declared.hasFlavor(CIMFlavor::RESTRICTED);
    if (!unspecified)
    {
        if (disable && !overridable)
            resultDisable = true;
        if (restricted && !toSubclass)
            resultRestricted = true;
    }
    CIMFlavor result;
    result.addFlavor(resultDisable ? CIMFlavor::DISABLEOVERRIDE : CIMFlavor::OVERRIDABLE);
    result.addFlavor(resultRestricted ? CIMFlavor::RESTRICTED : CIMFlavor::TOSUBCLASS);
    if (given.hasFlavor(CIMFlavor::TRANSLATABLE) || declared.hasFlavor(CIMFlavor::TRANSLATABLE))
        result.addFlavor(CIMFlavor::TRANSLATABLE);
    if (given.hasFlavor(CIMFlavor::TOINSTANCE) || declared.hasFlavor(CIMFlavor::TOINSTANCE))
        result.addFlavor(CIMFlavor::TOINSTANCE);
    return result;
}

CIMClass ClassResolver::localDefinition(const CIMConstClass& definition)
{
    CIMClass c(definition.getClassName(), definition.getSuperClassName());
    copyLocalQualifiers(definition, c);
    for (Uint32 i = 0; i < definition.getPropertyCount(); i++)
    {
        CIMConstProperty p = definition.getProperty(i);
        if (p.getPropagated())
            continue;
        CIMProperty copy(p.getName(), p.getValue(), p.getArraySize(), p.getReferenceClassName());
        copyLocalQualifiers(p, copy);
        c.addProperty(copy);
    }
    for (Uint32 i = 0; i < definition.getMethodCount(); i++)
    {
        CIMConstMethod m = definition.getMethod(i);
        if (m.getPropagated())
            continue;
        CIMMethod copy(m.getName(), m.getType());
        copyLocalQualifiers(m, copy);
        for (Uint32 j = 0; j < m.getParameterCount(); j++)
        {
            CIMConstParameter p = m.getParameter(j);
            CIMParameter pc(p.getName(), p.getType(), p.isArray(), p.getArraySize(),
                            p.getReferenceClassName());
            copyLocalQualifiers(p, pc);
            copy.addParameter(pc);
        }
        c.addMethod(copy);
    }
    return c;
}

CIMClass ClassResolver::resolve(const CIMConstClass& local, const CIMConstClass& superClass,
                                const SchemaLookup& lookup)
{
    const CIMName& className = local.getClassName();
    const bool hasSuper = !superClass.isUninitialized();
    ClassKind kind;
    kind.association = hasTrueQualifier(local, "Association") ||
                       (hasSuper && hasTrueQualifier(superClass, "Association"));
    kind.indication = hasTrueQualifier(local, "Indication") ||
                      (hasSuper && hasTrueQualifier(superClass, "Indication"));

    CIMClass result(className, local.getSuperClassName());
    String classWhere = String("class ") + className.getString();
    Array<CIMQualifier> classQualifiers =
        checkedQualifiers(local, CLASS_ELEMENT, kind, classWhere, lookup);
    mergeQualifiers(hasSuper ? &superClass : nullptr, classQualifiers, classWhere, result);

    // Inherited members come first, in the superclass's order; a member
    // the class redefines takes its place among the local ones.
    if (hasSuper)
    {
        for (Uint32 i = 0; i < superClass.getPropertyCount(); i++)
        {
            CIMConstProperty sp = superClass.getProperty(i);
            if (local.findProperty(sp.getName()) != PEG_NOT_FOUND)
                continue;
            CIMProperty copy = sp.clone();
            copy.setPropagated(true);
            result.addProperty(copy);
        }
        for (Uint32 i = 0; i < superClass.getMethodCount(); i++)
        {
            CIMConstMethod sm = superClass.getMethod(i);
            if (local.findMethod(sm.getName()) != PEG_NOT_FOUND)
                continue;
            CIMMethod copy = sm.clone();
            copy.setPropagated(true);
            result.addMethod(copy);
        }
    }

    for (Uint32 i = 0; i < local.getPropertyCount(); i++)
    {
        CIMConstProperty lp = local.getProperty(i);
        String where = String("property ") + className.getString() + "." +
                       lp.getName().getString();
        Uint32 ii = overriddenIndex(lp, hasSuper ? superClass.findProperty(lp.getName())
                                                 : PEG_NOT_FOUND,
                                    "property", where);
        CIMConstProperty inherited;
        if (ii != PEG_NOT_FOUND)
        {
            inherited = superClass.getProperty(ii);
            if (inherited.getType() != lp.getType() || inherited.isArray() != lp.isArray())
            {
                invalid(where + " overrides an inherited property of type " +
                        cimTypeToString(inherited.getType()) +
                        (inherited.isArray() ? "[]" : "") + " with type " +
                        cimTypeToString(lp.getType()) + (lp.isArray() ? "[]" : ""));
            }
        }
        ElementKind ek = lp.getType() == CIMTYPE_REFERENCE ? REFERENCE_ELEMENT : PROPERTY_ELEMENT;
        Array<CIMQualifier> qualifiers = checkedQualifiers(lp, ek, kind, where, lookup);
        checkReferenceClass(lp.getReferenceClassName(), className, where, lookup);
        CIMProperty p(lp.getName(), lp.getValue(), lp.getArraySize(), lp.getReferenceClassName(),
                      inherited.isUninitialized() ? className : inherited.getClassOrigin(), false);
        mergeQualifiers(inherited.isUninitialized() ? nullptr : &inherited, qualifiers, where, p);
        result.addProperty(p);
    }

    for (Uint32 i = 0; i < local.getMethodCount(); i++)
    {
        CIMConstMethod lm = local.getMethod(i);
        String name = className.getString() + "." + lm.getName().getString();
        String where = String("method ") + name;
        Uint32 ii = overriddenIndex(lm, hasSuper ? superClass.findMethod(lm.getName())
                                                 : PEG_NOT_FOUND,
                                    "method", where);
        CIMConstMethod inherited;
        if (ii != PEG_NOT_FOUND)
        {
            inherited = superClass.getMethod(ii);
            if (inherited.getType() != lm.getType())
            {
                invalid(where + " overrides an inherited method returning " +
                        cimTypeToString(inherited.getType()) + " with one returning " +
                        cimTypeToString(lm.getType()));
            }
        }
        Array<CIMQualifier> qualifiers = checkedQualifiers(lm, METHOD_ELEMENT, kind, where, lookup);
        CIMMethod m(lm.getName(), lm.getType(),
                    inherited.isUninitialized() ? className : inherited.getClassOrigin(), false);
        const CIMConstMethod* im = inherited.isUninitialized() ? nullptr : &inherited;
        mergeQualifiers(im, qualifiers, where, m);
        for (Uint32 j = 0; j < lm.getParameterCount(); j++)
            m.addParameter(resolveParameter(lm.getParameter(j), im, kind, className, name, lookup));
        result.addMethod(m);
    }
    return result;
}

CIMClass ClassResolver::present(const CIMConstClass& resolved, Boolean localOnly,
                                Boolean includeQualifiers, Boolean includeClassOrigin,
                                const CIMPropertyList& propertyList)
{
    CIMClass c(resolved.getClassName(), resolved.getSuperClassName());
    if (includeQualifiers)
    {
        for (Uint32 i = 0; i < resolved.getQualifierCount(); i++)
        {
            CIMConstQualifier q = resolved.getQualifier(i);
            if (!(localOnly && q.getPropagated()))
                c.addQualifier(q.clone());
        }
    }
    for (Uint32 i = 0; i < resolved.getPropertyCount(); i++)
    {
        CIMConstProperty p = resolved.getProperty(i);
        if (localOnly && p.getPropagated())
            continue;
        if (!propertyList.useThisProperty(p.getName()))
            continue;
        CIMProperty copy(p.getName(), p.getValue(), p.getArraySize(), p.getReferenceClassName(),
                         includeClassOrigin ? p.getClassOrigin() : CIMName(), p.getPropagated());
        if (includeQualifiers)
            copyAllQualifiers(p, copy);
        c.addProperty(copy);
    }
    for (Uint32 i = 0; i < resolved.getMethodCount(); i++)
    {
        CIMConstMethod m = resolved.getMethod(i);
        if (localOnly && m.getPropagated())
            continue;
        CIMMethod copy(m.getName(), m.getType(),
                       includeClassOrigin ? m.getClassOrigin() : CIMName(), m.getPropagated());
        if (includeQualifiers)
            copyAllQualifiers(m, copy);
        for (Uint32 j = 0; j < m.getParameterCount(); j++)
        {
            CIMConstParameter p = m.getParameter(j);
            CIMParameter pc(p.getName(), p.getType(), p.isArray(), p.getArraySize(),
                            p.getReferenceClassName());
            if (includeQualifiers)
                copyAllQualifiers(p, pc);
            copy.addParameter(pc);
        }
        c.addMethod(copy);
    }
    return c;
}

}  // namespace Pegasus
