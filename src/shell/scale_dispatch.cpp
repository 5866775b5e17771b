// The "尺度" button: check the request, connect the scale check's link
// object to AutoCAD and run the check; its window shows the results.
#include <memory>

#include "acadlink/connect_autocad.h"
#include "plot/ploter.h"
#include "scalecheck/scale_check.h"
#include "scalecheck/check_progress_form.h"
#include "shell/tmain.h"
#include "ui/application.h"

namespace shell {

namespace {
const std::string kNoDrawings = "ファイルを指定してください   ";
}

void TMain::ScaleCheckBitBtnClick() {
  if (Plotting || Checking) return;
  CollectRunList();
  if (RunList.empty()) return ui::showMessage(this, kNoDrawings);
  // Before AutoCAD is started for nothing: it could not save into this folder.
  if (auto refusal = plot::ProgramFolderRefusal(ScaleCheck->TempDrawingPath))
    return ui::showMessage(this, *refusal);

  // Messages are processed while connecting and checking: no second run
  // may begin meanwhile.
  BusyMark mark(Checking);
  std::unique_ptr<acadlink::TGetAutoCADHandleForm> ownForm;
  acadlink::TGetAutoCADHandleForm* form = GetAutoCADHandleForm;
  if (!form) form = (ownForm = std::make_unique<acadlink::TGetAutoCADHandleForm>()).get();
  if (!acadlink::ConnectAutoCAD(*ScaleCheck, StartWait, acadlink::kScaleCheckCancelMessage,
                                acadlink::kScaleCheckFailureMessage, *form))
    return;

  ScaleCheck->AcadWaitLimit = AcadWaitLimit;
  ScaleCheck->Progress = ScaleCheckProgressForm;
  ScaleCheck->Setter = ScaleSet.get();
  ScaleCheck->PaperTablePath = PaperTablePath;
  ScaleSet->AcadWaitLimit = AcadWaitLimit;
  ScaleCheck->SetPacedSend(PacedSend);
  ScaleSet->SetPacedSend(PacedSend);
  // A copy: the tree may change while the check processes messages.
  const std::vector<std::string> drawings = RunList;
  ScaleCheck->RunScaleCheck(drawings, AcadCommandWait, AcadClose, FileDia, CmdDia, Proxynotice);
}

}  // namespace shell
