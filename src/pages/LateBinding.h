// Calls on an object known only by its dispatch interface, member by name, as the pages talk to
// the control they edit. Failures raise EOleSysError with the object's own message when it gave
// one, so the user reads what the control said.
#pragma once

#include <oaidl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/com/UniqueVariant.h"

namespace corvane::pages {

// Calls the member with the arguments in the order written (not the reversed order of
// DISPPARAMS). `flags` are DISPATCH_METHOD, DISPATCH_PROPERTYGET or both.
UniqueVariant CallByName(IDispatch& object, const wchar_t* name, WORD flags,
                         std::initializer_list<VARIANT> arguments = {});
// Sets a property to a string.
void PutStringByName(IDispatch& object, const wchar_t* name, std::string_view value);
// Sets a property to a Boolean, and reads one.
void PutBooleanByName(IDispatch& object, const wchar_t* name, bool value);
bool GetBooleanByName(IDispatch& object, const wchar_t* name);
// An integer argument, such as a collection's index.
VARIANT IntegerArgument(int32_t value);
// One entry of a collection by its index.
UniqueVariant ItemOf(IDispatch& collection, int32_t index);
// Every entry of a collection of strings, in order.
std::vector<std::string> CollectionStrings(IDispatch& collection);

// Conversions of a result; a value that does not convert raises.
std::string VariantToString(const VARIANT& value);
int32_t VariantToInteger(const VARIANT& value);
// Days since 30 December 1899, the time of day as the fraction.
DATE VariantToDate(const VARIANT& value);
ComPtr<IDispatch> VariantToDispatch(const VARIANT& value);

}  // namespace corvane::pages
