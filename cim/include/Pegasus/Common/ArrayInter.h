// Array<T>: a growable sequence with value semantics (copying an Array
// copies its elements).  Any T that is copy-constructible can be used.
//
// Indexes past the end throw IndexOutOfBoundsException.  Pointers and
// references into an Array are invalidated by any call that changes its
// size or capacity.  Distinct Array objects may be used from different
// threads at once; one object must not be modified concurrently.
#ifndef Pegasus_ArrayInter_h
#define Pegasus_ArrayInter_h

#include <new>
#include <utility>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

// Throws IndexOutOfBoundsException; kept out of line because Exception.h
// itself needs Array.
[[noreturn]] PEGASUS_COMMON_LINKAGE void ArrayThrowIndexOutOfBoundsException();

template <class T>
class Array
{
public:
    typedef T element_type;

    Array() : _data(0), _size(0), _capacity(0) {}

    Array(const Array& x) : _data(0), _size(0), _capacity(0)
    {
        append(x._data, x._size);
    }

    Array(Array&& x) noexcept
        : _data(x._data), _size(x._size), _capacity(x._capacity)
    {
        x._data = 0;
        x._size = x._capacity = 0;
    }

    // size default-constructed elements.
    explicit Array(Uint32 size) : _data(0), _size(0), _capacity(0)
    {
        _reserve(size);
        for (; _size < size; _size++)
            new (&_data[_size]) T();
    }

    // size copies of x.
    Array(Uint32 size, const T& x) : _data(0), _size(0), _capacity(0)
    {
        grow(size, x);
    }

    Array(const T* items, Uint32 size) : _data(0), _size(0), _capacity(0)
    {
        append(items, size);
    }

    ~Array()
    {
        _destroy(0, _size);
        ::operator delete(_data);
    }

    Array& operator=(const Array& x)
    {
        if (this != &x)
        {
            Array tmp(x);
            swap(tmp);
        }
        return *this;
    }

    Array& operator=(Array&& x) noexcept
    {
        if (this != &x)
        {
            Array tmp(std::move(x));
            swap(tmp);
        }
        return *this;
    }

    void clear()
    {
        _destroy(0, _size);
        _size = 0;
    }

    void reserveCapacity(Uint32 capacity) { _reserve(capacity); }

    // Appends n copies of x.
    void grow(Uint32 n, const T& x)
    {
        if (n == 0)
            return;
        T tmp(x);   // x may live inside this array
        _reserve(_growTo(_size + n));
        for (Uint32 i = 0; i < n; i++, _size++)
            new (&_data[_size]) T(tmp);
    }

    void swap(Array& x) noexcept
    {
        std::swap(_data, x._data);
        std::swap(_size, x._size);
        std::swap(_capacity, x._capacity);
    }

    Uint32 size() const { return _size; }
    Uint32 getCapacity() const { return _capacity; }
    const T* getData() const { return _data; }

    T& operator[](Uint32 index)
    {
        if (index >= _size)
            ArrayThrowIndexOutOfBoundsException();
        return _data[index];
    }

    const T& operator[](Uint32 index) const
    {
        if (index >= _size)
            ArrayThrowIndexOutOfBoundsException();
        return _data[index];
    }

    void append(const T& x)
    {
        if (_size == _capacity)
        {
            T tmp(x);
            _reserve(_growTo(_size + 1));
            new (&_data[_size]) T(std::move(tmp));
        }
        else
            new (&_data[_size]) T(x);
        _size++;
    }

    void append(const T* x, Uint32 n) { insert(_size, x, n); }

    void appendArray(const Array& x)
    {
        if (&x == this)
        {
            Array tmp(x);
            append(tmp._data, tmp._size);
        }
        else
            append(x._data, x._size);
    }

    void prepend(const T& x) { insert(0, x); }
    void prepend(const T* x, Uint32 n) { insert(0, x, n); }

    // index > size() throws IndexOutOfBoundsException.
    void insert(Uint32 index, const T& x) { insert(index, &x, 1); }

    void insert(Uint32 index, const T* x, Uint32 n)
    {
        if (index > _size)
            ArrayThrowIndexOutOfBoundsException();
        if (n == 0)
            return;
        if (_data && x + n > _data && x < _data + _size)
        {
            // The source lies inside this array: copy it out first.
            Array tmp(x, n);
            insert(index, tmp._data, n);
            return;
        }
        _reserve(_growTo(_size + n));
        // Move the tail up by n, starting from the end.
        for (Uint32 i = _size; i > index; i--)
        {
            new (&_data[i - 1 + n]) T(std::move(_data[i - 1]));
            _data[i - 1].~T();
        }
        for (Uint32 i = 0; i < n; i++)
            new (&_data[index + i]) T(x[i]);
        _size += n;
    }

    // index + n > size() throws IndexOutOfBoundsException.
    void remove(Uint32 index) { remove(index, 1); }

    void remove(Uint32 index, Uint32 n)
    {
        if (index > _size || n > _size - index)
            ArrayThrowIndexOutOfBoundsException();
        if (n == 0)
            return;
        for (Uint32 i = index; i + n < _size; i++)
            _data[i] = std::move(_data[i + n]);
        _destroy(_size - n, _size);
        _size -= n;
    }

private:
    Uint32 _growTo(Uint32 needed) const
    {
        if (needed <= _capacity)
            return _capacity;
        Uint32 cap = _capacity ? _capacity : 8;
        while (cap < needed && cap < 0x80000000u)
            cap *= 2;
        return cap < needed ? needed : cap;
    }

    void _reserve(Uint32 capacity)
    {
        if (capacity <= _capacity)
            return;
        T* data = static_cast<T*>(::operator new(sizeof(T) * size_t(capacity)));
        for (Uint32 i = 0; i < _size; i++)
        {
            new (&data[i]) T(std::move(_data[i]));
            _data[i].~T();
        }
        ::operator delete(_data);
        _data = data;
        _capacity = capacity;
    }

    void _destroy(Uint32 from, Uint32 to)
    {
        for (Uint32 i = from; i < to; i++)
            _data[i].~T();
    }

    T* _data;
    Uint32 _size;
    Uint32 _capacity;
};

PEGASUS_NAMESPACE_END

#endif
