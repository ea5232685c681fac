// The receiver of parse events that assembles objects as elements close:
// a stack of frames, one per open element, each collecting what its
// children deliver.  Used by CimXmlReader; not meant to be used directly.
//
// One builder decodes one document, from one thread.
#ifndef PEGASUS_CIMXML_BUILDER_H
#define PEGASUS_CIMXML_BUILDER_H

#include "CimXmlParser.h"

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMValue.h>

#include "CIMObjectModelRep.h"

#include <memory>
#include <string>
#include <vector>

namespace Pegasus {

struct CimXmlResponse;
struct CimXmlRequestMessage;

class CimXmlBuilder : public CimXmlEvents
{
public:
    enum Mode { OBJECT, QUALIFIER_DECLARATION, RESPONSE, REQUEST };

    CimXmlBuilder(Mode mode, const CimXmlLimits& limits, unsigned embeddingDepth);
    ~CimXmlBuilder() override;
    CimXmlBuilder(const CimXmlBuilder&) = delete;
    CimXmlBuilder& operator=(const CimXmlBuilder&) = delete;

    void setResponse(CimXmlResponse* response) { _response = response; }
    void setRequest(CimXmlRequestMessage* request) { _request = request; }

    // The decoded root of an OBJECT or QUALIFIER_DECLARATION document.
    const CIMObject& rootObject() const { return _rootObject; }
    const CIMQualifierDecl& rootQualifierDecl() const { return _rootQualifierDecl; }

    void startElement(CimXmlTag tag, const char** attributes) override;
    void endElement(CimXmlTag tag) override;
    void characters(const char* data, std::size_t size) override;

private:
    // What a frame has received as its value from its children.
    enum Content : unsigned char { NONE, TEXT, TEXTS, REF, REFS, OBJECT_VALUE };

    struct Frame
    {
        CimXmlTag tag;
        Content content;
        bool hasPath;
        bool typed;             // TYPE / PARAMTYPE present
        bool isArray;
        bool propagated;
        unsigned char embedded; // 0 none, 1 EmbeddedObject="object", 2 "instance"
        CIMType type;
        Uint32 arraySize;
        CIMKeyBinding::Type keyType;
        CIMFlavor flavor;
        CIMScope scope;
        std::string text;       // character data of VALUE, KEYVALUE, HOST
        // VALUE texts of a VALUE.ARRAY: while it is open the first
        // textCount (the strings beyond are kept for their buffers); then
        // exactly the array's.
        std::vector<std::string> texts;
        std::size_t textCount;
        CIMName name;
        String rawName;         // names of calls and parameters, not validated
        CIMName classOrigin;
        CIMName referenceClass;
        CIMName className;
        std::string nameSpace;  // NAMESPACE components joined with '/'
        String host;
        CIMObjectPath path;
        Array<CIMObjectPath> paths;
        Array<CIMKeyBinding> keys;
        std::vector<CIMQualifier> qualifiers;
        Array<CIMParameter> parameters;
        CIMClass cimClass;
        CIMInstance instance;
        std::shared_ptr<CIMPropertyBlock> propertyBlock;   // of instance, or null
        CIMObject object;
        CIMQualifierDecl qualifierDecl;
        int iparamKind;         // CimXmlIParamValue::Kind of an IPARAMVALUE
        Uint32 errorCode;
        String errorDescription;
    };

    [[noreturn]] static void syntax(const std::string& message);
    [[noreturn]] static void invalid(const std::string& message);
    static std::string tagName(CimXmlTag tag);
    // "true"/"false" (any case); absent gives dflt.
    static bool booleanAttribute(const char** attributes, const char* attribute, bool dflt,
                                 CimXmlTag tag);
    // The same for a value already looked up (null when absent).
    static bool booleanValue(const char* value, const char* attribute, bool dflt,
                             CimXmlTag tag);
    static Uint32 numberAttribute(const char* value, const char* attribute, CimXmlTag tag);

    Frame& push(CimXmlTag tag);
    Frame* parentFrame() { return _depth >= 2 ? &_frames[_depth - 2] : nullptr; }

    // The slot of a direct-mapped cache for a text of n bytes: a hash of
    // the length and a few of the bytes (text[0] is read even when n is 0:
    // the text is NUL-terminated then).
    static std::size_t slotOf(const char* text, std::size_t n, std::size_t slots)
    {
        const unsigned char* t = reinterpret_cast<const unsigned char*>(text);
        const unsigned last = n ? t[n - 1] : 0;
        return (n * 131 + t[0] * 31u + t[n / 2] * 7u + last) % slots;
    }
    // Sets `target` to the validated name for `text` (short names come
    // from a small cache).
    void setName(CIMName& target, const char* text);
    const char* required(const char** attributes, const char* attribute, CimXmlTag tag);
    CIMType typeAttribute(const char* text, CimXmlTag tag);
    void readEmbedded(Frame& f, const char** attributes);
    void setEmbedded(Frame& f, const char* value);
    void startMember(Frame& f, const char** attributes);
    void readFlavor(Frame& f, const char** attributes);
    // Flavor attribute values, each null when absent.
    static void setFlavor(Frame& f, const char* overridable, const char* toSubclass,
                          const char* toInstance, const char* translatable);
    void startQualifier(Frame& f, const char** attributes);

    static CIMType declaredType(const Frame& f);
    CIMValue typedValue(Frame& f, bool isArray);
    CIMValue embeddedValue(Frame& f);
    CIMValue paramValue(Frame& f);

    void deliverText(Frame& f, Frame* parent);
    void deliverPath(const CIMObjectPath& path, CimXmlTag from, Frame* parent);
    void deliverQualifier(CIMQualifier&& qualifier, Frame* parent);
    void deliverProperty(const CIMProperty& property, Frame* parent);
    void deliverObject(const CIMObject& object, CimXmlTag from, Frame* parent);
    void endProperty(Frame& f, Frame* parent);
    void endParameter(Frame& f, Frame* parent);
    void endQualifierDecl(Frame& f, Frame* parent);
    void endParamValue(Frame& f, Frame* parent);
    void endIParamValue(Frame& f);

    Mode _mode;
    CimXmlLimits _limits;
    unsigned _embeddingDepth;
    std::vector<Frame> _frames;
    std::size_t _depth;
    struct NameSlot
    {
        std::string key;
        CIMName name;
    };
    static const std::size_t kNameSlots = 509;
    std::vector<NameSlot> _names;

    // Short string values repeat within a document and from one document
    // to the next (the ValueMap and Values qualifiers of classes, flags and
    // states of instances): a direct-mapped cache lets the copies of one
    // text share its String.  A text stays in the cache, and in memory,
    // until a text with the same slot replaces it.
    static const std::size_t kShortText = 24;
    static const std::size_t kTextSlots = 512;
    struct TextSlot
    {
        std::size_t size = kShortText + 1;   // none
        char key[kShortText];
        String text;
    };
    std::vector<TextSlot> _texts;

    // The caches are kept per thread between builders (see the
    // constructor): a warm cache skips validating and converting what the
    // documents of a kind repeat.
    template <class Slot>
    static std::vector<std::vector<Slot>>& cachePool();
    template <class Slot>
    static void takeCache(std::vector<Slot>& cache, std::size_t slots);
    template <class Slot>
    static void returnCache(std::vector<Slot>& cache, std::size_t slots);
    void takeTextCache();

    // The qualifiers of the class or instance being decoded share blocks
    // (see CIMRepBlock), as do a class's properties (in its frame).
    std::shared_ptr<CIMQualifierBlock> _qualifierBlock;
    // A block with room for one more rep: a first one of 16, then twice
    // the size of the full one, up to 256.
    template <class B>
    static void makeRoom(std::shared_ptr<B>& block)
    {
        if (!block)
            block = B::create(16);
        else if (block->full())
            block = B::create(block->capacity() < 128 ? 2 * block->capacity() : 256);
    }
    String stringValue(const char* text, std::size_t size);

    CimXmlResponse* _response;
    CimXmlRequestMessage* _request;
    CIMObject _rootObject;
    CIMQualifierDecl _rootQualifierDecl;
    // Properties of the last instance decoded: instances of a document
    // mostly have the same number, so the next one reserves that room
    // (up to 64) rather than growing its list step by step.
    Uint32 _instanceProperties = 0;
};

}  // namespace Pegasus

#endif
