// The base form of every property page: the target-machine selector in the top row, filled with
// the servers the edited control sees and written to the control the moment the user picks one.
// It also fixes the order in which a page loads and writes its own values and how write errors
// reach the user. Never shown by itself.
#pragma once

#include <string>

#include "framework/forms/FormDesign.h"
#include "pages/PropPageX.h"

namespace corvane::pages {

// The machine name page's class identifier; only the pages derived from it are registered.
// {9B9889AF-6404-4B00-B904-01CCB3B11D3E}
constexpr CLSID kMachineNamePageClsid = {
    0x9B9889AF, 0x6404, 0x4B00, {0xB9, 0x04, 0x01, 0xCC, 0xB3, 0xB1, 0x1D, 0x3E}};

class TFrNTComponentAbstractProperty : public TExtPropertyPage {
 public:
  TFrNTComponentAbstractProperty();

  // The layout every page starts from: the selector row, caption and help context given.
  // Pages append their own elements (and may move the selector) before building the form.
  static forms::TFormDesign MachineNameDesign(std::string caption, int helpContext);

  void LoadFromObject() override;
  void ApplyToObject() override;
  std::string GetHelpFileName() const override { return "korvel.hlp"; }

  // A page writes its own values to the edited control here...
  virtual void WriteValues() {}
  // ...and fills its own controls from it here.
  virtual void ReadValues() {}

  void cmbMachineNameChange();
  void FormActivate();
  // Leaves no text showing selected in the form's own edits, once the current event is done.
  void ClearEditSelections();

  forms::TElement& cmbMachineName() { return Element("cmbMachineName"); }
  forms::TElement& lblmachineName() { return Element("lblmachineName"); }
  forms::TElement& Bevel1() { return Element("Bevel1"); }

 protected:
  explicit TFrNTComponentAbstractProperty(forms::TFormDesign design);
  void ValueChanged() override;

  bool FLoading = false;

 private:
  void Repaint();
};

// The factory's view of this page (used only where the base page is wanted by itself).
std::unique_ptr<TExtPropertyPage> CreateMachineNamePage();

}  // namespace corvane::pages
