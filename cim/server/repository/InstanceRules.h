// Instances against their class: building the stored form of a new or
// modified instance, converting property values to their declared types,
// and the canonical key under which an instance is stored and looked up.
//
// All functions are pure and thread-safe.  Failures throw CIMException
// with the status code a client is to see.
#ifndef KTA_CIM_SERVER_REPOSITORY_INSTANCERULES_H
#define KTA_CIM_SERVER_REPOSITORY_INSTANCERULES_H

#include <string>

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMValue.h>

#include "NameFolding.h"

namespace Pegasus {

class InstanceRules
{
public:
    // `value` as a value of the declared type: unchanged when it already
    // is; integers to other integer types when in range; reals to reals;
    // integers to reals; text parsed into booleans, numbers, char16,
    // datetimes and references; null to a null of the declared type.
    // Anything else throws CIMException(CIM_ERR_TYPE_MISMATCH) naming the
    // property.
    static CIMValue convert(const CIMValue& value, CIMType type, Boolean isArray,
                            const CIMName& propertyName);

    // The stored form of a new instance of `cimClass` (resolved): the
    // given properties (named as the class spells them, values converted,
    // class origin from the class, not propagated, their qualifiers kept),
    // then every other class property with its class default, marked
    // propagated.  The instance's path is set to class + keys.
    // Throws CIM_ERR_NO_SUCH_PROPERTY for a property the class lacks,
    // CIM_ERR_TYPE_MISMATCH for a value that does not fit, and
    // CIM_ERR_INVALID_PARAMETER for a key property without a value.
    static CIMInstance build(const CIMConstClass& cimClass, const CIMConstInstance& given);

    // Applies a ModifyInstance request to the stored instance (a fresh
    // copy that this changes): the properties of `modified` selected by
    // propertyList (all when null) replace the stored ones; a listed
    // property that `modified` lacks is reset to the class default; with
    // includeQualifiers the instance qualifiers are replaced too.  Key
    // values cannot change (CIM_ERR_INVALID_PARAMETER); other failures as
    // for build().
    static void modify(const CIMConstClass& cimClass, CIMInstance& stored,
                       const CIMConstInstance& modified, Boolean includeQualifiers,
                       const CIMPropertyList& propertyList);

    // Class + key bindings from the instance's key property values.
    static CIMObjectPath pathOf(const CIMConstClass& cimClass, const CIMConstInstance& instance);

    // The canonical key of an instance path of `cimClass`: key names
    // folded, bindings in a fixed order, values normalised by the key
    // property's type (numbers numerically, booleans without case, paths
    // recursively).  False when the path's bindings are not exactly the
    // class's keys or a value does not parse as its key's type.
    static bool canonicalKey(const CIMConstClass& cimClass, const CIMObjectPath& path,
                             std::string& key);

    // Removes what a client did not ask for: qualifiers unless
    // includeQualifiers, class origins unless includeClassOrigin,
    // properties not in a non-null propertyList, and, when `restrictTo` is
    // initialized, properties that class does not have.
    static void filter(CIMInstance& instance, Boolean includeQualifiers,
                       Boolean includeClassOrigin, const CIMPropertyList& propertyList,
                       const CIMConstClass& restrictTo);
};

}  // namespace Pegasus

#endif
