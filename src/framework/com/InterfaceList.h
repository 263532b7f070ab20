// Which interface identifiers an entry of a ComObject's list answers. An entry is an interface
// (answering itself and the bases COM clients may ask for, listed below) or an implementation
// base such as DispatchImpl that names what it answers in `AnsweredInterfaces`.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

namespace corvane {

template <typename... Is>
struct InterfaceList {};

// Bases of an interface that QueryInterface must also answer (IUnknown is answered once for all).
// Declare further ones by specialising this template next to the class that needs them.
template <typename I>
struct BaseInterfaces {
  using type = InterfaceList<>;
};
template <> struct BaseInterfaces<IPersistStreamInit> { using type = InterfaceList<IPersist>; };
template <> struct BaseInterfaces<IPersistStream> { using type = InterfaceList<IPersist>; };
template <> struct BaseInterfaces<IPersistStorage> { using type = InterfaceList<IPersist>; };
template <> struct BaseInterfaces<IPersistPropertyBag> { using type = InterfaceList<IPersist>; };
template <> struct BaseInterfaces<IOleInPlaceObject> { using type = InterfaceList<IOleWindow>; };
template <> struct BaseInterfaces<IOleInPlaceActiveObject> { using type = InterfaceList<IOleWindow>; };
template <> struct BaseInterfaces<IViewObject2> { using type = InterfaceList<IViewObject>; };
template <> struct BaseInterfaces<IProvideClassInfo2> { using type = InterfaceList<IProvideClassInfo>; };
template <> struct BaseInterfaces<IPropertyPage2> { using type = InterfaceList<IPropertyPage>; };
template <> struct BaseInterfaces<IClassFactory2> { using type = InterfaceList<IClassFactory>; };

namespace detail {

template <typename I, typename Bases>
struct Prepend;
template <typename I, typename... Bases>
struct Prepend<I, InterfaceList<Bases...>> {
  using type = InterfaceList<I, Bases...>;
};

}  // namespace detail

template <typename Entry>
struct AnsweredBy {
  using type = typename detail::Prepend<Entry, typename BaseInterfaces<Entry>::type>::type;
};
template <typename Entry>
  requires requires { typename Entry::AnsweredInterfaces; }
struct AnsweredBy<Entry> {
  using type = typename Entry::AnsweredInterfaces;
};

}  // namespace corvane
