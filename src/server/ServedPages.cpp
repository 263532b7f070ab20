// The pages Corvane.ocx serves. The machine name page is only the base of the others and is not
// served by itself.
#include "server/ServedPages.h"

#include <vector>

#include "pages/FrEventLogPropItems.h"
#include "pages/FrEventLogPropObjects.h"
#include "pages/FrNTPersistentLogonAs.h"
#include "pages/PageFactory.h"

namespace corvane {

std::vector<ServedClass> MakePageFactories() {
  // In order: logon-as, event list, event detail.
  const std::vector<const pages::TPageClass*> served = {
      &pages::kLogonAsPage,
      &pages::kEventListPage,
      &pages::kEventDetailPage,
  };
  std::vector<ServedClass> factories;
  for (const pages::TPageClass* page : served) factories.push_back(pages::ServePage(*page));
  return factories;
}

}  // namespace corvane
