// Reading the fields of a received HTTP request that the CIM-over-HTTP
// checks look at; shared by the connection and the request-path fuzz target.
#ifndef KTA_CIM_SERVER_HTTP_HTTPREQUESTFIELDS_H
#define KTA_CIM_SERVER_HTTP_HTTPREQUESTFIELDS_H

#include <optional>
#include <string_view>

#include <boost/beast/http.hpp>

#include "CimHttpExchange.h"

namespace Pegasus {

// The value of header field `name`, absent when the request has none.
inline std::optional<std::string_view> field(
    const boost::beast::http::request<boost::beast::http::string_body>& req, const char* name)
{
    auto it = req.find(name);
    if (it == req.end())
        return std::nullopt;
    return std::string_view(it->value().data(), it->value().size());
}

// The method and the CIM header fields of `req`, viewing its storage.
inline CimHttpRequestHead requestHeadOf(
    const boost::beast::http::request<boost::beast::http::string_body>& req)
{
    CimHttpRequestHead head;
    head.method = std::string_view(req.method_string().data(), req.method_string().size());
    head.cimOperation = field(req, "CIMOperation");
    head.cimMethod = field(req, "CIMMethod");
    head.cimObject = field(req, "CIMObject");
    head.cimProtocolVersion = field(req, "CIMProtocolVersion");
    head.cimBatch = field(req, "CIMBatch");
    head.batchStopOnError = field(req, "PGBatchStopOnError");
    return head;
}

}  // namespace Pegasus

#endif
