// OperationContext and the container classes.
#include <Pegasus/Common/OperationContext.h>

PEGASUS_NAMESPACE_BEGIN

OperationContext::Container::~Container() {}

namespace
{
Uint32 findContainer(
    const Array<OperationContext::Container*>& containers, const String& name)
{
    for (Uint32 i = 0; i < containers.size(); i++)
    {
        if (String::equal(containers[i]->getName(), name))
            return i;
    }
    return PEG_NOT_FOUND;
}

[[noreturn]] void throwNotFound()
{
    throw Exception("object not found");
}
}

OperationContext::OperationContext() {}

OperationContext::OperationContext(const OperationContext& context)
{
    *this = context;
}

OperationContext::~OperationContext()
{
    clear();
}

OperationContext& OperationContext::operator=(const OperationContext& context)
{
    if (this != &context)
    {
        clear();
        for (Uint32 i = 0; i < context._containers.size(); i++)
            _containers.append(context._containers[i]->clone());
    }
    return *this;
}

void OperationContext::clear()
{
    for (Uint32 i = 0; i < _containers.size(); i++)
        _containers[i]->destroy();
    _containers.clear();
}

const OperationContext::Container& OperationContext::get(
    const String& containerName) const
{
    Uint32 pos = findContainer(_containers, containerName);
    if (pos == PEG_NOT_FOUND)
        throwNotFound();
    return *_containers[pos];
}

Boolean OperationContext::contains(const String& containerName) const
{
    return findContainer(_containers, containerName) != PEG_NOT_FOUND;
}

void OperationContext::set(const Container& container)
{
    Container* copy = container.clone();
    Uint32 pos = findContainer(_containers, container.getName());
    if (pos == PEG_NOT_FOUND)
    {
        _containers.append(copy);
    }
    else
    {
        _containers[pos]->destroy();
        _containers[pos] = copy;
    }
}

void OperationContext::insert(const Container& container)
{
    if (findContainer(_containers, container.getName()) != PEG_NOT_FOUND)
        throw AlreadyExistsException(container.getName());
    _containers.append(container.clone());
}

void OperationContext::remove(const String& containerName)
{
    Uint32 pos = findContainer(_containers, containerName);
    if (pos == PEG_NOT_FOUND)
        throwNotFound();
    _containers[pos]->destroy();
    _containers.remove(pos);
}

// IdentityContainer

const String IdentityContainer::NAME = "IdentityContainer";

IdentityContainer::IdentityContainer(
    const OperationContext::Container& container)
{
    const IdentityContainer* p =
        dynamic_cast<const IdentityContainer*>(&container);
    if (!p)
        throw DynamicCastFailedException();
    _userName = p->_userName;
}

IdentityContainer::IdentityContainer(const IdentityContainer& container)
    : OperationContext::Container(), _userName(container._userName)
{
}

IdentityContainer::IdentityContainer(const String& userName)
    : _userName(userName)
{
}

IdentityContainer::~IdentityContainer() {}

IdentityContainer& IdentityContainer::operator=(
    const IdentityContainer& container)
{
    _userName = container._userName;
    return *this;
}

String IdentityContainer::getName() const
{
    return NAME;
}

OperationContext::Container* IdentityContainer::clone() const
{
    return new IdentityContainer(*this);
}

void IdentityContainer::destroy()
{
    delete this;
}

String IdentityContainer::getUserName() const
{
    return _userName;
}

// AcceptLanguageListContainer

const String AcceptLanguageListContainer::NAME = "AcceptLanguageListContainer";

AcceptLanguageListContainer::AcceptLanguageListContainer(
    const OperationContext::Container& container)
{
    const AcceptLanguageListContainer* p =
        dynamic_cast<const AcceptLanguageListContainer*>(&container);
    if (!p)
        throw DynamicCastFailedException();
    _languages = p->_languages;
}

AcceptLanguageListContainer::AcceptLanguageListContainer(
    const AcceptLanguageListContainer& container)
    : OperationContext::Container(), _languages(container._languages)
{
}

AcceptLanguageListContainer::AcceptLanguageListContainer(
    const AcceptLanguageList& languages)
    : _languages(languages)
{
}

AcceptLanguageListContainer::~AcceptLanguageListContainer() {}

AcceptLanguageListContainer& AcceptLanguageListContainer::operator=(
    const AcceptLanguageListContainer& container)
{
    _languages = container._languages;
    return *this;
}

String AcceptLanguageListContainer::getName() const
{
    return NAME;
}

OperationContext::Container* AcceptLanguageListContainer::clone() const
{
    return new AcceptLanguageListContainer(*this);
}

void AcceptLanguageListContainer::destroy()
{
    delete this;
}

AcceptLanguageList AcceptLanguageListContainer::getLanguages() const
{
    return _languages;
}

// ContentLanguageListContainer

const String ContentLanguageListContainer::NAME =
    "ContentLanguageListContainer";

ContentLanguageListContainer::ContentLanguageListContainer(
    const OperationContext::Container& container)
{
    const ContentLanguageListContainer* p =
        dynamic_cast<const ContentLanguageListContainer*>(&container);
    if (!p)
        throw DynamicCastFailedException();
    _languages = p->_languages;
}

ContentLanguageListContainer::ContentLanguageListContainer(
    const ContentLanguageListContainer& container)
    : OperationContext::Container(), _languages(container._languages)
{
}

ContentLanguageListContainer::ContentLanguageListContainer(
    const ContentLanguageList& languages)
    : _languages(languages)
{
}

ContentLanguageListContainer::~ContentLanguageListContainer() {}

ContentLanguageListContainer& ContentLanguageListContainer::operator=(
    const ContentLanguageListContainer& container)
{
    _languages = container._languages;
    return *this;
}

String ContentLanguageListContainer::getName() const
{
    return NAME;
}

OperationContext::Container* ContentLanguageListContainer::clone() const
{
    return new ContentLanguageListContainer(*this);
}

void ContentLanguageListContainer::destroy()
{
    delete this;
}

ContentLanguageList ContentLanguageListContainer::getLanguages() const
{
    return _languages;
}

PEGASUS_NAMESPACE_END
