// Representations behind the object-model handles (CIMQualifier,
// CIMProperty, CIMMethod, CIMClass, ...), and CIMHandleAccess, the one
// friend through which the library's own code reaches them.
//
// A handle holds a std::shared_ptr to its representation; copies of a
// handle share it.  A representation records in ownerCount how many
// containers (a property's qualifier list, a class's property list, ...)
// currently hold it, because an element may not be renamed while a
// container holds it; that count is atomic because containers sharing an
// element may be destroyed on different threads.  Otherwise no locking:
// the sharing rules are those of the handles.
#ifndef Pegasus_CIMObjectModelRep_h
#define Pegasus_CIMObjectModelRep_h

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

PEGASUS_NAMESPACE_BEGIN

struct CIMHandleAccess
{
    // The shared representation of a handle (null when uninitialized).
    template <class H>
    static const auto& rep(const H& handle)
    {
        return handle._rep;
    }

    // A mutable handle around an existing representation.
    template <class H, class R>
    static H make(const std::shared_ptr<R>& rep)
    {
        return H(rep);
    }
};

// Read access to the strings a CIMValue holds, for the library's encoders:
// get() returns a copy, and copying every string of a large object only to
// write it out costs an allocation each.  Null when the value is null or
// not of that kind; valid while the value is neither changed nor destroyed.
//
// take() builds a value from a string or an array that is moved in rather
// than copied, for the decoder's freshly made values.
struct PEGASUS_COMMON_LINKAGE CIMValueAccess
{
    static const String* string(const CIMValue& value);
    static const Array<String>* strings(const CIMValue& value);

    static CIMValue take(String&& x);
    // Defined for the element types a CIMValue can hold.
    template <class T>
    static CIMValue take(Array<T>&& x);
};

// The representation of an initialized handle; UninitializedObjectException
// for an uninitialized one.
struct PEGASUS_COMMON_LINKAGE CIMDateTimeAccess
{
    // Sets x from a text of 25 ASCII characters, as CIMDateTime::set()
    // would (and throws as it does); false, with x unchanged, for any other
    // text, which the caller then gives to set() for its error.
    static bool setText(CIMDateTime& x, const char* text, std::size_t size);
};

template <class R>
inline R* checkedRep(const std::shared_ptr<R>& rep)
{
    if (!rep)
        throw UninitializedObjectException();
    return rep.get();
}

// Throws Exception when an element held by a container is renamed.
PEGASUS_COMMON_LINKAGE void throwRenameInContainer(const char* kind);

// An ordered list of named elements (qualifiers, properties, methods or
// parameters) with case-insensitive lookup.  The list holds handles, so an
// element fetched from it and changed is changed in the list too.
template <class H>
class CIMNamedList
{
public:
    // kind ("qualifier", "property", ...) names the element in the
    // AlreadyExistsException text.
    explicit CIMNamedList(const char* kind) : _kind(kind) {}

    CIMNamedList(const CIMNamedList&) = delete;
    CIMNamedList& operator=(const CIMNamedList&) = delete;

    ~CIMNamedList()
    {
        for (size_t i = 0; i < _items.size(); i++)
            CIMHandleAccess::rep(_items[i])->ownerCount--;
    }

    void add(const H& x)
    {
        checkNew(x);
        _items.push_back(x);
        CIMHandleAccess::rep(x)->ownerCount++;
    }

    // The same, taking over the caller's handle rather than copying it.
    void add(H&& x)
    {
        checkNew(x);
        CIMHandleAccess::rep(x)->ownerCount++;
        _items.push_back(std::move(x));
    }

    // Room for n elements, so that adding them moves none.
    void reserve(size_t n) { _items.reserve(n); }

    Uint32 find(const CIMName& name) const
    {
        const Uint32 size = name.getString().size();
        for (size_t i = 0; i < _items.size(); i++)
        {
            // Read from the rep: every item is initialized (add() checks).
            const CIMName& itemName = CIMHandleAccess::rep(_items[i])->name;
            if (itemName.getString().size() == size && itemName.equal(name))
                return Uint32(i);
        }
        return PEG_NOT_FOUND;
    }

    H& get(Uint32 index)
    {
        if (index >= _items.size())
            throw IndexOutOfBoundsException();
        return _items[index];
    }

    const H& get(Uint32 index) const
    {
        if (index >= _items.size())
            throw IndexOutOfBoundsException();
        return _items[index];
    }

    void remove(Uint32 index)
    {
        if (index >= _items.size())
            throw IndexOutOfBoundsException();
        CIMHandleAccess::rep(_items[index])->ownerCount--;
        _items.erase(_items.begin() + index);
    }

    void clear()
    {
        while (!_items.empty())
            remove(Uint32(_items.size() - 1));
    }

    Uint32 size() const { return Uint32(_items.size()); }

    // Appends deep copies of the elements of x (this list being empty).
    void cloneFrom(const CIMNamedList& x)
    {
        for (size_t i = 0; i < x._items.size(); i++)
            add(x._items[i].clone());
    }

    // Same length and, position by position, identical elements.
    bool identical(const CIMNamedList& x) const
    {
        if (_items.size() != x._items.size())
            return false;
        for (size_t i = 0; i < _items.size(); i++)
        {
            if (!_items[i].identical(x._items[i]))
                return false;
        }
        return true;
    }

private:
    // An element may join the list when it is initialized and its name is
    // not there yet.
    void checkNew(const H& x) const
    {
        if (x.isUninitialized())
            throw UninitializedObjectException();
        const CIMName& name = x.getName();
        if (find(name) != PEG_NOT_FOUND)
        {
            throw AlreadyExistsException(
                String(_kind) + " \"" + name.getString() + "\"");
        }
    }

    const char* _kind;
    std::vector<H> _items;
};

class CIMQualifierRep
{
public:
    CIMName name;
    CIMValue value;
    CIMFlavor flavor;
    Boolean propagated = false;
    std::atomic<Uint32> ownerCount{0};
};

class CIMQualifierDeclRep
{
public:
    CIMName name;
    CIMValue value;
    CIMScope scope;
    CIMFlavor flavor;
    Uint32 arraySize = 0;
};

class CIMPropertyRep
{
public:
    CIMPropertyRep() : qualifiers("qualifier") {}

    std::shared_ptr<CIMPropertyRep> clone() const;
    bool identical(const CIMPropertyRep& x) const;

    CIMName name;
    CIMValue value;
    Uint32 arraySize = 0;
    CIMName referenceClassName;
    CIMName classOrigin;
    Boolean propagated = false;
    CIMNamedList<CIMQualifier> qualifiers;
    std::atomic<Uint32> ownerCount{0};
};

// Room for several reps of one kind in one heap block.  Objects decoded
// together (the properties of an instance, the qualifiers of a class) are
// made and freed together, and one allocation for them all instead of one
// each was much of the cost of decoding a large answer.  Every rep made in
// a block shares the block's count: the block, with all its reps, goes when
// the last of them does, so a rep taken out of its object keeps the others'
// memory until then.  A block is filled from one thread.
template <class R>
class CIMRepBlock
{
public:
    // Null for a capacity of 0.
    static std::shared_ptr<CIMRepBlock> create(std::size_t capacity)
    {
        static_assert(sizeof(CIMRepBlock) % alignof(R) == 0, "the reps follow the header");
        if (capacity == 0)
            return nullptr;
        void* raw = ::operator new(sizeof(CIMRepBlock) + capacity * sizeof(R));
        CIMRepBlock* block = new (raw) CIMRepBlock(capacity);
        return std::shared_ptr<CIMRepBlock>(block, [](CIMRepBlock* b) {
            b->~CIMRepBlock();
            ::operator delete(b);
        });
    }

    // A new rep in the block, or one of its own without a block or room.
    static std::shared_ptr<R> make(const std::shared_ptr<CIMRepBlock>& block)
    {
        if (!block || block->full())
            return std::make_shared<R>();
        R* rep = new (block->slot(block->_used)) R();
        block->_used++;
        return std::shared_ptr<R>(block, rep);
    }

    bool full() const { return _used == _capacity; }
    std::size_t capacity() const { return _capacity; }

    ~CIMRepBlock()
    {
        for (std::size_t i = 0; i < _used; i++)
            slot(i)->~R();
    }

    CIMRepBlock(const CIMRepBlock&) = delete;
    CIMRepBlock& operator=(const CIMRepBlock&) = delete;

private:
    explicit CIMRepBlock(std::size_t capacity) : _capacity(capacity), _used(0) {}
    R* slot(std::size_t i) { return reinterpret_cast<R*>(this + 1) + i; }

    std::size_t _capacity;
    std::size_t _used;
};

typedef CIMRepBlock<CIMPropertyRep> CIMPropertyBlock;
typedef CIMRepBlock<CIMQualifierRep> CIMQualifierBlock;

// A rep as CIMProperty's constructor makes it, with the same checks; the
// name and value are moved in.
PEGASUS_COMMON_LINKAGE std::shared_ptr<CIMPropertyRep> newPropertyRep(
    CIMName name,
    CIMValue value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated,
    const std::shared_ptr<CIMPropertyBlock>& block);

// A rep as CIMQualifier's constructor makes it, with the same checks.
PEGASUS_COMMON_LINKAGE std::shared_ptr<CIMQualifierRep> newQualifierRep(
    const CIMName& name,
    CIMValue value,
    const CIMFlavor& flavor,
    Boolean propagated,
    const std::shared_ptr<CIMQualifierBlock>& block);

class CIMParameterRep
{
public:
    CIMParameterRep() : qualifiers("qualifier") {}

    std::shared_ptr<CIMParameterRep> clone() const;
    bool identical(const CIMParameterRep& x) const;

    CIMName name;
    CIMType type = CIMTYPE_BOOLEAN;
    Boolean isArray = false;
    Uint32 arraySize = 0;
    CIMName referenceClassName;
    CIMNamedList<CIMQualifier> qualifiers;
    std::atomic<Uint32> ownerCount{0};
};

class CIMMethodRep
{
public:
    CIMMethodRep() : qualifiers("qualifier"), parameters("parameter") {}

    std::shared_ptr<CIMMethodRep> clone() const;
    bool identical(const CIMMethodRep& x) const;

    CIMName name;
    CIMType type = CIMTYPE_BOOLEAN;
    CIMName classOrigin;
    Boolean propagated = false;
    CIMNamedList<CIMQualifier> qualifiers;
    CIMNamedList<CIMParameter> parameters;
    std::atomic<Uint32> ownerCount{0};
};

// What classes and instances have in common.  CIMObject, CIMClass and
// CIMInstance handles all point at one of the two subclasses below.
class CIMObjectRep
{
public:
    // REQUIRES: className is not null.
    explicit CIMObjectRep(const CIMName& className);
    virtual ~CIMObjectRep();

    virtual bool isClass() const = 0;
    virtual std::shared_ptr<CIMObjectRep> clone() const = 0;
    virtual bool identical(const CIMObjectRep& x) const;
    // Classes check reference properties (see CIMClassRep).
    virtual void addProperty(const CIMProperty& x);

    void setPath(const CIMObjectPath& path);
    // The same, taking the path's parts rather than copying them.
    void setPath(CIMObjectPath&& path);
    void filter(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);

    CIMName className;
    CIMObjectPath path;
    CIMNamedList<CIMQualifier> qualifiers;
    CIMNamedList<CIMProperty> properties;

protected:
    // Deep copies of the common parts of x into this (fresh) object.
    void copyFrom(const CIMObjectRep& x);
};

class CIMClassRep : public CIMObjectRep
{
public:
    CIMClassRep(const CIMName& className, const CIMName& superClassName);

    bool isClass() const override { return true; }
    std::shared_ptr<CIMObjectRep> clone() const override;
    bool identical(const CIMObjectRep& x) const override;
    void addProperty(const CIMProperty& x) override;

    // Whether the class has a boolean qualifier of this name set to true.
    bool hasTrueQualifier(const char* name) const;
    void getKeyNames(Array<CIMName>& keyNames) const;
    bool hasKeys() const;
    CIMInstance buildInstance(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) const;

    CIMName superClassName;
    CIMNamedList<CIMMethod> methods;
};

class CIMInstanceRep : public CIMObjectRep
{
public:
    explicit CIMInstanceRep(const CIMName& className);

    bool isClass() const override { return false; }
    std::shared_ptr<CIMObjectRep> clone() const override;

    CIMObjectPath buildPath(const CIMConstClass& cimClass) const;
};

class CIMParamValueRep
{
public:
    String parameterName;
    CIMValue value;
    Boolean isTyped = true;
};

// The class representation behind a handle known to hold a class.
inline CIMClassRep* classRep(const std::shared_ptr<CIMObjectRep>& rep)
{
    return static_cast<CIMClassRep*>(checkedRep(rep));
}

inline CIMInstanceRep* instanceRep(const std::shared_ptr<CIMObjectRep>& rep)
{
    return static_cast<CIMInstanceRep*>(checkedRep(rep));
}

PEGASUS_NAMESPACE_END

#endif
