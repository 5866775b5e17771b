#include "acadlink/connect_autocad.h"

#include "ui/application.h"

namespace acadlink {

bool ConnectAutoCAD(TfControl& link, int startWaitSeconds, const std::string& cancelMessage,
                    const std::string& failureMessage, TGetAutoCADHandleForm& recognitionForm) {
  const int found = link.FindOrStartAutoCAD(startWaitSeconds);
  if (found == 2) return true;
  if (found == 1) {
    // Never a second AutoCAD beside one this link object did not start.
    ui::showMessage(nullptr, kCloseRunningAutoCADMessage);
    return false;
  }
  recognitionForm.Answer = "Cancel";
  recognitionForm.showModal();
  bool connected = false;
  if (recognitionForm.Answer == "2000") {
    connected = link.FindAutoCADByCaptions(kPromptWord2000, kTextWord2000);
  } else if (recognitionForm.Answer == "2004") {
    connected = link.FindAutoCADByCaptions(kPromptWord2004, kTextWord2004);
  } else {
    ui::showMessage(nullptr, cancelMessage);
    return false;
  }
  if (!connected) ui::showMessage(nullptr, failureMessage);
  return connected;
}

}  // namespace acadlink
