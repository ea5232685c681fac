// PullOperations: the pull operations of DSP0200 1.4 -- OpenEnumerateInstances,
// OpenEnumerateInstancePaths, OpenReferenceInstances,
// OpenReferenceInstancePaths, OpenAssociatorInstances,
// OpenAssociatorInstancePaths, PullInstancesWithPath, PullInstancePaths,
// CloseEnumeration and EnumerationCount -- over OperationExecutor's cursors
// and an EnumerationContexts table.
//
// The association opens work at instance level only: InstanceName must
// name an instance (CIM_ERR_INVALID_PARAMETER otherwise); their results are
// AssociationOperations', with its filters and errors.
//
// An open call opens the cursor of its enumeration and answers the first
// MaxObjectCount objects (none for 0); what is left stays in a context
// that pulls read from.  Every open and pull answer ends with the
// PARAMVALUEs EndOfSequence and EnumerationContext (empty once the sequence
// has ended, when the context is closed).  Answers are written while they
// are sent (OperationOutcome::producer), so an open enumeration holds its
// cursor and at most one object read ahead, never its results.
//
// What is refused: FilterQueryLanguage / FilterQuery
// (CIM_ERR_FILTERED_ENUMERATION_NOT_SUPPORTED), ContinueOnError TRUE
// (CIM_ERR_CONTINUATION_ON_ERROR_NOT_SUPPORTED), timeouts as
// EnumerationContexts::timeoutFor says.  An error while objects are read
// closes the context.  Pulling paths from an instance context or
// instances from a path context, and any context the caller does not hold
// open, give CIM_ERR_INVALID_ENUMERATION_CONTEXT.  EnumerationCount answers
// 0 for a context with nothing left and null otherwise.
//
// Contexts belong to the caller that opened them, identified by
// enumerationOwner().
//
// Thread-safe.
#ifndef KTA_CIM_DISPATCH_PULLOPERATIONS_H
#define KTA_CIM_DISPATCH_PULLOPERATIONS_H

#include "RequestProcessor.h"

#include "EnumerationContexts.h"

namespace Pegasus {

class AssociationOperations;
class OperationExecutor;

// Whose enumeration contexts a request may use: its user when known, else
// its peer address (TCP), else any unidentified local peer.
std::string enumerationOwner(const RequestCaller& caller);

class PullOperations
{
public:
    // executor, associations and clock must outlive this object.  hostName
    // goes into the paths of the answers.
    PullOperations(OperationExecutor& executor, AssociationOperations& associations,
                   const String& hostName, MonotonicClock& clock = MonotonicClock::real());

    // True for the operations above (the method name alone decides).
    static bool handles(const CimXmlRequestMessage& request);

    // Executes one of them: on success `outcome` holds the answer's head
    // and, for opens and pulls, the producer of the rest.  Throws
    // CIMException (and what decoding a parameter throws) for failures
    // found before the answer begins.
    void process(const CimXmlRequestMessage& request, const RequestCaller& caller,
                 OperationOutcome& outcome);

    EnumerationContexts& contexts() { return _contexts; }

private:
    void open(const CimXmlRequestMessage& request, const std::string& owner,
              OperationOutcome& outcome);
    void pull(const CimXmlRequestMessage& request, const std::string& owner,
              OperationOutcome& outcome);
    std::unique_ptr<EnumerationSource> openSource(const CimXmlRequestMessage& request,
                                                  EnumerationContexts::Kind kind);

    OperationExecutor& _executor;
    AssociationOperations& _associations;
    String _hostName;
    EnumerationContexts _contexts;
};

}  // namespace Pegasus

#endif
