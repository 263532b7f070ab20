// Root of the library's objects that can copy their state from another object (items, lists,
// credentials) and describe their published properties.
#pragma once

#include <string>

namespace corvane {

class TClassInfo;

class TPersistent {
 public:
  virtual ~TPersistent() = default;

  // Copies the state of `source` into this object. By default the source is asked to copy itself
  // here (AssignTo); a class that knows neither side raises "Cannot assign a X to a Y".
  virtual void Assign(const TPersistent& source);

  // The class description with the published properties; each class with published properties
  // (or a name of its own that callers compare) overrides it.
  virtual const TClassInfo& ClassInfo() const;
  static const TClassInfo& StaticClassInfo();

  const std::string& ClassName() const;

 protected:
  TPersistent() = default;
  // Copying is left to derived classes that want it; the base never slices.
  TPersistent(const TPersistent&) = default;
  TPersistent& operator=(const TPersistent&) = default;

  virtual void AssignTo(TPersistent& dest) const;
};

}  // namespace corvane
