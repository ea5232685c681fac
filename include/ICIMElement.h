// ICIMElement: the common base of the host's schema elements that live in a
// namespace on their own (classes and instances).
//
// It declares nothing but the virtual destructor: the operations classes and
// instances share in name (Validate, AddToNamespace) differ in constness, so
// each of ICIMClass and ICIMInstance declares its own. The class exists so
// that the host can hold "some element" through one base pointer.
#ifndef NQRVKTA20_ICIMELEMENT_H
#define NQRVKTA20_ICIMELEMENT_H

namespace NQRVKTA20 {

class ICIMElement {
public:
    virtual ~ICIMElement() {}

protected:
    ICIMElement() = default;
    ICIMElement(ICIMElement const&) = default;
    ICIMElement& operator=(ICIMElement const&) = default;
};

} // namespace NQRVKTA20

#endif
