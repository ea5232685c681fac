// Name helpers shared by the in-memory object model.
//
// CIM names are case-insensitive: every registry of this library keys its
// entries by the lower-cased name, while objects keep the name as given.
#ifndef NQRVKTA20_TINMEMNAMES_H
#define NQRVKTA20_TINMEMNAMES_H

#include <string>

namespace NQRVKTA20 {

// The name with every character lower-cased (ASCII rules; other bytes are
// kept). Never throws except std::bad_alloc.
std::string InmemNormalizeName(std::string const& name);

// True when `name` is a valid CIM name: a letter or "_" first, then
// letters, digits or "_".
bool InmemIsValidName(std::string const& name);

// Throws TKTAException 25 (invalid name) unless InmemIsValidName(name).
void InmemRequireValidName(std::string const& name);

// Compares the lower-cased forms without making them: negative, zero or
// positive as `a` sorts before, equal to or after `b`.
int InmemCompareNoCase(std::string const& a, std::string const& b);

// Less-than on the lower-cased forms (for case-insensitive ordering).
bool InmemLessNoCase(std::string const& a, std::string const& b);

} // namespace NQRVKTA20

#endif
