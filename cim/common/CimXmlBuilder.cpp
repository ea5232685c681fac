// The closing half of CimXmlBuilder: as each element ends, its frame is
// turned into an object or value and delivered to the enclosing frame.
#include "CimXmlBuilder.h"
#include "ShortBytes.h"
#include "Utf8Text.h"

#include "CimXmlMessages.h"
#include "CimXmlReader.h"
#include "CimXmlValues.h"
#include "CimXmlWriter.h"
#include "CIMObjectModelRep.h"

#include <cstring>
#include <utility>

namespace Pegasus {

namespace {

using T = CimXmlTag;

}  // namespace

void CimXmlBuilder::characters(const char* data, std::size_t size)
{
    _frames[_depth - 1].text.append(data, size);
}

CIMValue CimXmlBuilder::embeddedValue(Frame& f)
{
    auto decode = [&](const std::string& xml) {
        return CimXmlReader::decodeObject(xml.data(), xml.size(), _limits,
                                          _embeddingDepth + 1);
    };
    if (f.content == TEXT)
    {
        CIMObject o = decode(f.text);
        if (f.embedded == 2)
        {
            if (!o.isInstance())
                invalid("embedded instance holds a class");
            return CIMValue(CIMInstance(o));
        }
        return CIMValue(o);
    }
    if (f.embedded == 2)
    {
        Array<CIMInstance> instances;
        for (const std::string& xml : f.texts)
        {
            CIMObject o = decode(xml);
            if (!o.isInstance())
                invalid("embedded instance holds a class");
            instances.append(CIMInstance(o));
        }
        return CIMValue(instances);
    }
    Array<CIMObject> objects;
    for (const std::string& xml : f.texts)
        objects.append(decode(xml));
    return CIMValue(objects);
}

// The value of a property, qualifier or declaration whose type is known.
String CimXmlBuilder::stringValue(const char* text, std::size_t size)
{
    if (size == 0 || size > kShortText)
        return String(text, Uint32(size));
    if (_texts.empty())
        takeTextCache();
    TextSlot& slot = _texts[slotOf(text, size, kTextSlots)];
    if (slot.size != size || !equalBytes(slot.key, text, size))
    {
        slot.text = String(text, Uint32(size));   // throws for bad UTF-8 before the slot changes
        slot.size = size;
        std::memcpy(slot.key, text, size);
    }
    return slot.text;
}

CIMValue CimXmlBuilder::typedValue(Frame& f, bool isArray)
{
    if (f.embedded && (f.content == TEXT || f.content == TEXTS))
        return embeddedValue(f);
    switch (f.content)
    {
    case TEXT:
        if (isArray)
            invalid(tagName(f.tag) + " of an array type holds a single VALUE");
        if (f.type == CIMTYPE_STRING)
            return CIMValueAccess::take(stringValue(f.text.data(), f.text.size()));
        return CimXmlValues::scalarFromText(f.type, f.text.data(), f.text.size());
    case TEXTS:
        if (f.type == CIMTYPE_STRING)
        {
            Array<String> values{Uint32(f.texts.size())};
            for (Uint32 i = 0; i < values.size(); i++)
                values[i] = stringValue(f.texts[i].data(), f.texts[i].size());
            return CIMValueAccess::take(std::move(values));
        }
        return CimXmlValues::arrayFromTexts(f.type, f.texts);
    case REF:
        return CIMValue(f.path);
    default:
        break;
    }
    CIMType type = f.embedded == 1 ? CIMTYPE_OBJECT : f.embedded == 2 ? CIMTYPE_INSTANCE : f.type;
    return CIMValue(type, isArray, f.arraySize);
}

// The value of a PARAMVALUE or RETURNVALUE.  Without PARAMTYPE the type did
// not travel: texts stay strings and the parameter is marked untyped.
CIMValue CimXmlBuilder::paramValue(Frame& f)
{
    if (f.content == OBJECT_VALUE)
    {
        if (f.object.isInstance() && f.embedded != 1)
            return CIMValue(CIMInstance(f.object));
        return CIMValue(f.object);
    }
    if (f.embedded && (f.content == TEXT || f.content == TEXTS))
        return embeddedValue(f);
    switch (f.content)
    {
    case TEXT:
        if (f.typed)
            return CimXmlValues::scalarFromText(f.type, f.text.data(), f.text.size());
        return CIMValue(String(f.text.data(), Uint32(f.text.size())));
    case TEXTS:
        if (f.typed)
            return CimXmlValues::arrayFromTexts(f.type, f.texts);
        return CimXmlValues::arrayFromTexts(CIMTYPE_STRING, f.texts);
    case REF:
        return CIMValue(f.path);
    case REFS:
        return CIMValue(f.paths);
    default:
        break;
    }
    CIMType type = f.embedded == 1   ? CIMTYPE_OBJECT
                   : f.embedded == 2 ? CIMTYPE_INSTANCE
                   : f.typed         ? f.type
                                     : CIMTYPE_STRING;
    return CIMValue(type, false);
}

void CimXmlBuilder::deliverText(Frame& f, Frame* parent)
{
    if (parent->tag == T::VALUE_ARRAY)
    {
        // Swapped with a string kept from an earlier array where there is
        // one: the text moves without a copy, and the frame takes the
        // other's buffer for its next VALUE.
        if (parent->textCount == parent->texts.size())
            parent->texts.emplace_back();
        parent->texts[parent->textCount].swap(f.text);
        parent->textCount++;
        return;
    }
    if (parent->content != NONE)
        syntax("more than one value in " + tagName(parent->tag));
    parent->content = TEXT;
    parent->text.swap(f.text);
    if (parent->tag == T::IPARAMVALUE)
        parent->iparamKind = CimXmlIParamValue::VALUE;
}

void CimXmlBuilder::deliverPath(const CIMObjectPath& path, CimXmlTag from, Frame* parent)
{
    switch (parent->tag)
    {
    case T::VALUE_REFARRAY:
        parent->paths.append(path);
        return;
    case T::IRETURNVALUE:
        if (from == T::CLASSNAME)
            _response->classNames.append(path.getClassName());
        else if (from == T::OBJECTPATH)
            _response->objectPaths.append(path);
        else if (from == T::VALUE_REFERENCE)
            break;
        else
            _response->instanceNames.append(path);
        return;
    default:
        break;
    }
    if (parent->hasPath || parent->content != NONE)
        syntax("more than one value in " + tagName(parent->tag));
    parent->hasPath = true;
    parent->path = path;
    switch (parent->tag)
    {
    case T::IPARAMVALUE:
        parent->content = REF;
        parent->className = path.getClassName();
        parent->iparamKind = from == T::CLASSNAME       ? CimXmlIParamValue::CLASS_NAME
                             : from == T::INSTANCENAME  ? CimXmlIParamValue::INSTANCE_NAME
                                                        : CimXmlIParamValue::REFERENCE;
        break;
    case T::PARAMVALUE:
    case T::RETURNVALUE:
    case T::KEYBINDING:
    case T::PROPERTY_REFERENCE:
    case T::IRETURNVALUE:
        parent->content = REF;
        break;
    default:
        break;
    }
}

// The qualifier is handed on, not copied: each copy of a handle costs two
// atomic updates of its count.
void CimXmlBuilder::deliverQualifier(CIMQualifier&& qualifier, Frame* parent)
{
    if (parent->tag == T::CLASS)
        CIMHandleAccess::rep(parent->cimClass)->qualifiers.add(std::move(qualifier));
    else if (parent->tag == T::INSTANCE)
        CIMHandleAccess::rep(parent->instance)->qualifiers.add(std::move(qualifier));
    else
        parent->qualifiers.push_back(std::move(qualifier));
}

void CimXmlBuilder::deliverProperty(const CIMProperty& property, Frame* parent)
{
    if (parent->tag == T::CLASS)
        parent->cimClass.addProperty(property);
    else
        parent->instance.addProperty(property);
}

void CimXmlBuilder::deliverObject(const CIMObject& object, CimXmlTag from, Frame* parent)
{
    if (!parent)
    {
        _rootObject = object;
        return;
    }
    switch (parent->tag)
    {
    case T::IRETURNVALUE:
        if (from == T::CLASS)
            _response->classes.append(CIMClass(object));
        else
            _response->instances.append(CIMInstance(object));
        return;
    case T::ERROR:
        // Embedded CIM_Error instances add nothing the code and the
        // description do not already say.
        return;
    default:
        break;
    }
    if (parent->content != NONE)
        syntax("more than one value in " + tagName(parent->tag));
    parent->content = OBJECT_VALUE;
    parent->object = object;
    if (parent->tag == T::IPARAMVALUE)
    {
        parent->iparamKind = from == T::CLASS      ? CimXmlIParamValue::CLASS
                             : from == T::INSTANCE ? CimXmlIParamValue::INSTANCE
                                                   : CimXmlIParamValue::NAMED_INSTANCE;
    }
}

void CimXmlBuilder::endProperty(Frame& f, Frame* parent)
{
    CIMValue value = typedValue(f, f.isArray);
    // Checked here first for a message that names the property.
    if (f.arraySize && (!value.isArray() || value.getArraySize() != f.arraySize))
        invalid("array property " + utf8Text(f.name.getString()) + " has " +
                std::to_string(value.getArraySize()) + " elements, ARRAYSIZE is " +
                std::to_string(f.arraySize));
    // The properties of an instance share one block (sized by the
    // instance before; the rest are made one by one); those of a class
    // blocks that grow as needed.
    if (parent && parent->tag == T::CLASS)
        makeRoom(parent->propertyBlock);
    // The frame's name is set anew for each property: moved, not copied.
    std::shared_ptr<CIMPropertyRep> rep = newPropertyRep(
        std::move(f.name), std::move(value), f.arraySize, f.referenceClass, f.classOrigin,
        f.propagated,
        parent && (parent->tag == T::INSTANCE || parent->tag == T::CLASS) ? parent->propertyBlock
                                                                           : nullptr);
    rep->qualifiers.reserve(f.qualifiers.size());
    for (CIMQualifier& q : f.qualifiers)
        rep->qualifiers.add(std::move(q));
    deliverProperty(CIMHandleAccess::make<CIMProperty>(rep), parent);
}

// The type of a declaration: objects and instances travel as strings
// marked with EmbeddedObject.
CIMType CimXmlBuilder::declaredType(const Frame& f)
{
    return f.embedded == 1 ? CIMTYPE_OBJECT : f.embedded == 2 ? CIMTYPE_INSTANCE : f.type;
}

void CimXmlBuilder::endParameter(Frame& f, Frame* parent)
{
    CIMParameter parameter(f.name, declaredType(f), f.isArray, f.arraySize, f.referenceClass);
    CIMHandleAccess::rep(parameter)->qualifiers.reserve(f.qualifiers.size());
    for (CIMQualifier& q : f.qualifiers)
        CIMHandleAccess::rep(parameter)->qualifiers.add(std::move(q));
    parent->parameters.append(parameter);
}

void CimXmlBuilder::endQualifierDecl(Frame& f, Frame* parent)
{
    // A declaration that forgot ISARRAY but carries VALUE.ARRAY is an array.
    CIMValue value = typedValue(f, f.isArray || f.content == TEXTS);
    CIMQualifierDecl decl(f.name, value, f.scope, f.flavor, f.arraySize);
    if (!parent)
        _rootQualifierDecl = decl;
    else if (parent->tag == T::IRETURNVALUE)
        _response->qualifierDecls.append(decl);
    else
    {
        if (parent->content != NONE)
            syntax("more than one value in " + tagName(parent->tag));
        parent->content = OBJECT_VALUE;
        parent->qualifierDecl = decl;
        parent->iparamKind = CimXmlIParamValue::QUALIFIER_DECLARATION;
    }
}

void CimXmlBuilder::endParamValue(Frame& f, Frame* parent)
{
    bool typed = f.typed || f.embedded || f.content == REF || f.content == REFS ||
                 f.content == OBJECT_VALUE;
    CIMParamValue parameter(f.rawName, paramValue(f), typed);
    if (parent->tag == T::METHODCALL)
        _request->parameters.append(parameter);
    else
        _response->outParameters.append(parameter);
}

void CimXmlBuilder::endIParamValue(Frame& f)
{
    CimXmlIParamValue p;
    p.name = f.rawName;
    p.kind = CimXmlIParamValue::Kind(f.iparamKind);
    switch (p.kind)
    {
    case CimXmlIParamValue::VALUE:
        p.text = String(f.text.data(), Uint32(f.text.size()));
        break;
    case CimXmlIParamValue::VALUE_ARRAY:
        for (const std::string& t : f.texts)
            p.texts.append(String(t.data(), Uint32(t.size())));
        break;
    case CimXmlIParamValue::REFERENCE:
    case CimXmlIParamValue::INSTANCE_NAME:
        p.path = f.path;
        break;
    case CimXmlIParamValue::CLASS_NAME:
        p.className = std::move(f.className);
        break;
    case CimXmlIParamValue::QUALIFIER_DECLARATION:
        p.qualifierDecl = f.qualifierDecl;
        break;
    case CimXmlIParamValue::CLASS:
        p.cimClass = CIMClass(f.object);
        break;
    case CimXmlIParamValue::INSTANCE:
    case CimXmlIParamValue::NAMED_INSTANCE:
        p.instance = CIMInstance(f.object);
        break;
    default:
        break;
    }
    _request->iparams.push_back(std::move(p));
}

void CimXmlBuilder::endElement(CimXmlTag tag)
{
    Frame& f = _frames[_depth - 1];
    Frame* parent = parentFrame();
    switch (tag)
    {
    case T::VALUE:
        deliverText(f, parent);
        break;
    case T::VALUE_ARRAY:
        if (parent->content != NONE)
            syntax("more than one value in " + tagName(parent->tag));
        f.texts.resize(f.textCount);
        parent->content = TEXTS;
        parent->texts.swap(f.texts);
        if (parent->tag == T::IPARAMVALUE)
            parent->iparamKind = CimXmlIParamValue::VALUE_ARRAY;
        break;
    case T::VALUE_REFERENCE:
        if (!f.hasPath)
            syntax("empty VALUE.REFERENCE");
        deliverPath(f.path, tag, parent);
        break;
    case T::VALUE_REFARRAY:
        if (parent->content != NONE)
            syntax("more than one value in " + tagName(parent->tag));
        parent->content = REFS;
        parent->paths = f.paths;
        break;
    case T::KEYVALUE:
        if (parent->content != NONE)
            syntax("more than one value in KEYBINDING");
        parent->content = TEXT;
        parent->text.swap(f.text);
        parent->keyType = f.keyType;
        break;
    case T::KEYBINDING:
        if (f.content == REF)
            parent->keys.append(
                CIMKeyBinding(f.name, f.path.toString(), CIMKeyBinding::REFERENCE));
        else if (f.content == TEXT)
            parent->keys.append(
                CIMKeyBinding(f.name, String(f.text.data(), Uint32(f.text.size())), f.keyType));
        else
            syntax("KEYBINDING without a value");
        break;
    case T::CLASSNAME:
        if (parent->tag == T::IPARAMVALUE)
        {
            // A class name parameter needs no path: the name moves up
            // as it is, without the copies a path would make of it.
            if (parent->hasPath || parent->content != NONE)
                syntax("more than one value in " + tagName(parent->tag));
            parent->hasPath = true;
            parent->content = REF;
            parent->className = std::move(f.className);
            parent->iparamKind = CimXmlIParamValue::CLASS_NAME;
            break;
        }
        deliverPath(CIMObjectPath(String(), CIMNamespaceName(), f.className), tag, parent);
        break;
    case T::INSTANCENAME:
        if (parent->tag == T::VALUE_NAMEDINSTANCE && !parent->hasPath)
        {
            // The common case of enumerations: build the path in place
            // rather than copying it there.
            parent->path.set(String(), CIMNamespaceName(), f.className, f.keys);
            parent->hasPath = true;
        }
        else
            deliverPath(CIMObjectPath(String(), CIMNamespaceName(), f.className, f.keys), tag,
                        parent);
        break;
    case T::LOCALNAMESPACEPATH:
        if (f.nameSpace.empty())
            syntax("LOCALNAMESPACEPATH without NAMESPACE");
        if (parent->tag == T::IMETHODCALL)
            _request->nameSpace = CIMNamespaceName(String(f.nameSpace.c_str()));
        else
            parent->nameSpace.swap(f.nameSpace);
        break;
    case T::HOST:
        parent->host = String(f.text.data(), Uint32(f.text.size()));
        break;
    case T::NAMESPACEPATH:
        parent->host = f.host;
        parent->nameSpace.swap(f.nameSpace);
        break;
    case T::LOCALINSTANCEPATH:
    case T::INSTANCEPATH:
    case T::LOCALCLASSPATH:
    case T::CLASSPATH:
    {
        if (!f.hasPath || f.nameSpace.empty())
            syntax("incomplete " + tagName(tag));
        CIMObjectPath path = f.path;
        path.setNameSpace(CIMNamespaceName(String(f.nameSpace.c_str())));
        if (tag == T::INSTANCEPATH || tag == T::CLASSPATH)
            path.setHost(f.host);
        deliverPath(path, tag, parent);
        break;
    }
    case T::OBJECTPATH:
        if (!f.hasPath)
            syntax("empty OBJECTPATH");
        deliverPath(f.path, tag, parent);
        break;
    case T::QUALIFIER:
    {
        makeRoom(_qualifierBlock);
        CIMQualifier q = CIMHandleAccess::make<CIMQualifier>(
            newQualifierRep(f.name, typedValue(f, f.content == TEXTS), f.flavor, f.propagated,
                            _qualifierBlock));
        deliverQualifier(std::move(q), parent);
        break;
    }
    case T::QUALIFIER_DECLARATION:
        endQualifierDecl(f, parent);
        break;
    case T::PROPERTY:
    case T::PROPERTY_ARRAY:
    case T::PROPERTY_REFERENCE:
        endProperty(f, parent);
        break;
    case T::PARAMETER:
    case T::PARAMETER_ARRAY:
    case T::PARAMETER_REFERENCE:
    case T::PARAMETER_REFARRAY:
        endParameter(f, parent);
        break;
    case T::METHOD:
    {
        CIMMethod method(f.name, declaredType(f), f.classOrigin, f.propagated);
        CIMHandleAccess::rep(method)->qualifiers.reserve(f.qualifiers.size());
        CIMHandleAccess::rep(method)->parameters.reserve(f.parameters.size());
        for (CIMQualifier& q : f.qualifiers)
            CIMHandleAccess::rep(method)->qualifiers.add(std::move(q));
        for (Uint32 i = 0; i < f.parameters.size(); i++)
            method.addParameter(f.parameters[i]);
        parent->cimClass.addMethod(method);
        break;
    }
    case T::CLASS:
        f.propertyBlock.reset();
        _qualifierBlock.reset();
        deliverObject(CIMObject(f.cimClass), tag, parent);
        break;
    case T::INSTANCE:
        _instanceProperties = f.instance.getPropertyCount();
        f.propertyBlock.reset();
        _qualifierBlock.reset();
        deliverObject(CIMObject(f.instance), tag, parent);
        break;
    case T::VALUE_NAMEDINSTANCE:
    case T::VALUE_INSTANCEWITHPATH:
    case T::VALUE_OBJECT:
    case T::VALUE_OBJECTWITHPATH:
    case T::VALUE_OBJECTWITHLOCALPATH:
    {
        if (f.content != OBJECT_VALUE || (tag != T::VALUE_OBJECT && !f.hasPath))
            syntax("incomplete " + tagName(tag));
        // The frame's path is not used again: moved into the object.
        if (tag != T::VALUE_OBJECT)
            checkedRep(CIMHandleAccess::rep(f.object))->setPath(std::move(f.path));
        // Instances of pull operations join those of the enumerations.
        if (parent->tag == T::IRETURNVALUE && tag != T::VALUE_NAMEDINSTANCE &&
            tag != T::VALUE_INSTANCEWITHPATH)
            _response->objects.append(f.object);
        else
            deliverObject(f.object, tag, parent);
        break;
    }
    case T::IRETURNVALUE:
        _response->hasReturnValue = true;
        if (f.content == TEXT)
            _response->returnValue = CIMValue(String(f.text.data(), Uint32(f.text.size())));
        else if (f.content == TEXTS)
            _response->returnValue = CimXmlValues::arrayFromTexts(CIMTYPE_STRING, f.texts);
        else if (f.content == REF)
            _response->returnValue = CIMValue(f.path);
        break;
    case T::RETURNVALUE:
        _response->hasReturnValue = true;
        _response->returnValue = paramValue(f);
        break;
    case T::PARAMVALUE:
        endParamValue(f, parent);
        break;
    case T::IPARAMVALUE:
        endIParamValue(f);
        break;
    case T::ERROR:
        _response->hasError = true;
        _response->errorCode = CIMStatusCode(f.errorCode);
        _response->errorDescription = f.errorDescription;
        break;
    case T::METHODCALL:
        _request->objectName = f.path;
        _request->nameSpace = f.path.getNameSpace();
        break;
    default:
        break;
    }
    --_depth;
}

}  // namespace Pegasus
