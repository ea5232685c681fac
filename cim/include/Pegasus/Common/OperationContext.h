// OperationContext: the named containers that travel with a request to a
// provider (the requesting user, the languages, ...), and the container
// classes providers read.
//
// An OperationContext owns copies of the containers put into it: set() and
// insert() store container.clone(), and every stored container is released
// with its destroy() when it is replaced, removed, cleared or the context
// dies.  A context is a value: copying it copies its containers.  One
// context must not be used from several threads at once unless all of
// them only read.
#ifndef Pegasus_OperationContext_h
#define Pegasus_OperationContext_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/AcceptLanguageList.h>
#include <Pegasus/Common/ContentLanguageList.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE OperationContext
{
public:
    // One named piece of context.  getName() identifies the kind of
    // container (each class has a static NAME); clone() returns a new copy
    // that the caller releases with destroy().
    class PEGASUS_COMMON_LINKAGE Container
    {
    public:
        virtual ~Container();
        virtual String getName() const = 0;
        virtual Container* clone() const = 0;
        virtual void destroy() = 0;
    };

    OperationContext();
    OperationContext(const OperationContext& context);
    virtual ~OperationContext();
    OperationContext& operator=(const OperationContext& context);

    // Releases every container.
    void clear();
    // The container of that name; throws Exception ("object not found")
    // when there is none.  The reference is valid until the container is
    // replaced or removed or the context changes or dies.
    const Container& get(const String& containerName) const;
    Boolean contains(const String& containerName) const;
    // Stores a copy, replacing a container of the same name.
    void set(const Container& container);
    // Stores a copy; a container of the same name already present throws
    // AlreadyExistsException.
    void insert(const Container& container);
    // Releases the container of that name; throws Exception ("object not
    // found") when there is none.
    void remove(const String& containerName);

private:
    Array<Container*> _containers;
};

// The name of the user a request runs for ("" without authentication).
class PEGASUS_COMMON_LINKAGE IdentityContainer
    : public OperationContext::Container
{
public:
    static const String NAME;   // "IdentityContainer"

    // Copies a container that must be an IdentityContainer, else
    // DynamicCastFailedException.
    IdentityContainer(const OperationContext::Container& container);
    IdentityContainer(const IdentityContainer& container);
    IdentityContainer(const String& userName);
    virtual ~IdentityContainer();
    IdentityContainer& operator=(const IdentityContainer& container);

    virtual String getName() const;
    virtual OperationContext::Container* clone() const;
    virtual void destroy();

    String getUserName() const;

private:
    String _userName;
};

// The languages the client accepts in responses.
class PEGASUS_COMMON_LINKAGE AcceptLanguageListContainer
    : public OperationContext::Container
{
public:
    static const String NAME;   // "AcceptLanguageListContainer"

    // Copies a container that must be an AcceptLanguageListContainer, else
    // DynamicCastFailedException.
    AcceptLanguageListContainer(const OperationContext::Container& container);
    AcceptLanguageListContainer(const AcceptLanguageListContainer& container);
    AcceptLanguageListContainer(const AcceptLanguageList& languages);
    virtual ~AcceptLanguageListContainer();
    AcceptLanguageListContainer& operator=(
        const AcceptLanguageListContainer& container);

    virtual String getName() const;
    virtual OperationContext::Container* clone() const;
    virtual void destroy();

    AcceptLanguageList getLanguages() const;

private:
    AcceptLanguageList _languages;
};

// The languages of the request's content.
class PEGASUS_COMMON_LINKAGE ContentLanguageListContainer
    : public OperationContext::Container
{
public:
    static const String NAME;   // "ContentLanguageListContainer"

    // Copies a container that must be a ContentLanguageListContainer, else
    // DynamicCastFailedException.
    ContentLanguageListContainer(const OperationContext::Container& container);
    ContentLanguageListContainer(const ContentLanguageListContainer& container);
    ContentLanguageListContainer(const ContentLanguageList& languages);
    virtual ~ContentLanguageListContainer();
    ContentLanguageListContainer& operator=(
        const ContentLanguageListContainer& container);

    virtual String getName() const;
    virtual OperationContext::Container* clone() const;
    virtual void destroy();

    ContentLanguageList getLanguages() const;

private:
    ContentLanguageList _languages;
};

PEGASUS_NAMESPACE_END

#endif
