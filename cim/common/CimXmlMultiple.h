// Decoding of multiple-operation messages (MESSAGE/MULTIREQ and
// MESSAGE/MULTIRSP): the receiver below splits the parse events of such a
// document so that each SIMPLEREQ (SIMPLERSP) is decoded by a builder of its
// own, exactly as if it were the only one in a MESSAGE with the same ID and
// PROTOCOLVERSION.  Internal to libpegcommon.
#ifndef PEGASUS_CIMXML_MULTIPLE_H
#define PEGASUS_CIMXML_MULTIPLE_H

#include "CimXmlBuilder.h"
#include "CimXmlMessages.h"
#include "CimXmlParser.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Pegasus {

// Message is CimXmlRequestMessage (MULTIREQ of SIMPLEREQ) or CimXmlResponse
// (MULTIRSP of SIMPLERSP).  The simple messages are appended to `out` in
// document order.  The parser must have allowMultipleOperations() set.
template <class Message>
class CimXmlMultipleSplitter : public CimXmlEvents
{
public:
    CimXmlMultipleSplitter(const CimXmlLimits& limits, std::vector<Message>& out)
        : _limits(limits), _out(out)
    {
    }

    // MESSAGE ID and PROTOCOLVERSION, once the parse is through.
    const std::string& messageId() const { return _messageId; }
    const std::string& protocolVersion() const { return _protocolVersion; }
    // CIMVERSION and DTDVERSION of the CIM element, if it has them.
    const std::optional<std::string>& cimVersion() const { return _cimVersion; }
    const std::optional<std::string>& dtdVersion() const { return _dtdVersion; }

    // Throws unless the document held a complete multiple message.
    void checkComplete() const
    {
        if (!_multipleSeen)
            fail(std::string("the document holds no ") + cimXmlTagName(multipleTag()));
    }

    void startElement(CimXmlTag tag, const char** attributes) override
    {
        if (_builder)
        {
            _builder->startElement(tag, attributes);
            return;
        }
        if (tag == CimXmlTag::CIM)
        {
            if (const char* v = CimXmlParser::attribute(attributes, "CIMVERSION"))
                _cimVersion = v;
            if (const char* v = CimXmlParser::attribute(attributes, "DTDVERSION"))
                _dtdVersion = v;
            return;
        }
        if (tag == CimXmlTag::MESSAGE)
        {
            const char* id = CimXmlParser::attribute(attributes, "ID");
            const char* version = CimXmlParser::attribute(attributes, "PROTOCOLVERSION");
            if (!id || !version)
                fail("missing attribute ID or PROTOCOLVERSION on MESSAGE");
            _messageId = id;
            _protocolVersion = version;
            return;
        }
        if (tag == multipleTag() && !_multipleSeen)
        {
            _multipleSeen = true;
            return;
        }
        if (tag == simpleTag() && _multipleSeen)
        {
            _out.emplace_back();
            _builder.reset(new CimXmlBuilder(mode(), _limits, 0));
            attach(*_builder, _out.back());
            const char* message[] = {"ID", _messageId.c_str(), "PROTOCOLVERSION",
                                     _protocolVersion.c_str(), nullptr};
            _builder->startElement(CimXmlTag::MESSAGE, message);
            _builder->startElement(tag, attributes);
            return;
        }
        fail(std::string("expected ") + cimXmlTagName(multipleTag()) + ", found " +
             cimXmlTagName(tag));
    }

    void endElement(CimXmlTag tag) override
    {
        if (_builder)
        {
            _builder->endElement(tag);
            if (tag == simpleTag())
            {
                _builder->endElement(CimXmlTag::MESSAGE);
                _builder.reset();
            }
            return;
        }
        // The element grammar allows one-call batches and empty ones; the
        // message grammar asks for two calls at least.
        if (tag == multipleTag() && _out.size() < 2)
            fail(std::string(cimXmlTagName(multipleTag())) + " must hold at least two " +
                 cimXmlTagName(simpleTag()));
    }

    void characters(const char* data, std::size_t size) override
    {
        if (_builder)
            _builder->characters(data, size);
    }

private:
    static bool isRequest();
    static CimXmlTag multipleTag()
    {
        return isRequest() ? CimXmlTag::MULTIREQ : CimXmlTag::MULTIRSP;
    }
    static CimXmlTag simpleTag()
    {
        return isRequest() ? CimXmlTag::SIMPLEREQ : CimXmlTag::SIMPLERSP;
    }
    static CimXmlBuilder::Mode mode()
    {
        return isRequest() ? CimXmlBuilder::REQUEST : CimXmlBuilder::RESPONSE;
    }
    static void attach(CimXmlBuilder& builder, CimXmlRequestMessage& m)
    {
        builder.setRequest(&m);
    }
    static void attach(CimXmlBuilder& builder, CimXmlResponse& m)
    {
        builder.setResponse(&m);
    }
    [[noreturn]] static void fail(const std::string& message)
    {
        throw CimXmlException(CimXmlException::SYNTAX, String(message.c_str()));
    }

    CimXmlLimits _limits;
    std::vector<Message>& _out;
    std::unique_ptr<CimXmlBuilder> _builder;
    std::string _messageId;
    std::string _protocolVersion;
    std::optional<std::string> _cimVersion;
    std::optional<std::string> _dtdVersion;
    bool _multipleSeen = false;
};

template <>
inline bool CimXmlMultipleSplitter<CimXmlRequestMessage>::isRequest()
{
    return true;
}

template <>
inline bool CimXmlMultipleSplitter<CimXmlResponse>::isRequest()
{
    return false;
}

}  // namespace Pegasus

#endif
