// TPEGASUSInstanceProperty: what a TPEGASUSInstance hands out for one of
// its properties: the instance's own value holder, shown through the
// plug-in's display formatting.  Every value operation goes to the holder,
// so changes made through this object are the instance's; ToString,
// PrevValueToString and ToStringVector format the holder's values with the
// rules of TPEGASUSProperty (value maps, units, bases, null texts of the
// declaration's qualifiers).
//
// Ownership: holds the holder strongly; the display rules read the
// declaration the holder reports.
// Failure: as the holder's operations; the display texts throw
// TKTAException 15 when the holder has no declaration.
// Thread safety: none; callers serialise access to one instance.
#ifndef NQRVKTA20_TPEGASUSINSTANCEPROPERTY_H
#define NQRVKTA20_TPEGASUSINSTANCEPROPERTY_H

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "ICIMProperty.h"

namespace NQRVKTA20 {

class TPEGASUSInstanceProperty : public ICIMProperty {
public:
    explicit TPEGASUSInstanceProperty(boost::shared_ptr<ICIMProperty> holder);
    ~TPEGASUSInstanceProperty() override;

    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    bool IsDefaultValue(TCIMContext context) const override;
    TCIMValue const& GetValue(TCIMContext context) const override;
    void SetValue(TCIMValue const& value, TCIMContext context) override;
    bool GetPropagated(TCIMContext context) const override;
    boost::shared_ptr<const ICIMPropertyDecl> GetDeclaration(TCIMContext context) const override;
    bool operator==(ICIMProperty& other) const override;
    bool operator<(ICIMProperty& other) const override;
    ICIMProperty& operator=(ICIMProperty const& other) override;
    TCIMValue const& GetPrevValue() const override;
    void SetPrevValue(TCIMValue const& value) override;
    void SetPrevValue() override;
    bool IsPrevValueDifferent() const override;
    std::string ToString() const override;
    std::string PrevValueToString() const override;
    std::vector<std::string> ToStringVector() const override;

    // The holder behind this object.
    boost::shared_ptr<ICIMProperty> GetHolder() const { return fHolder; }

private:
    boost::shared_ptr<ICIMProperty> fHolder;
};

} // namespace NQRVKTA20

#endif
