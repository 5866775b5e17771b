// The connection sequence every command runs before it drives AutoCAD.
#pragma once
#include <string>

#include "acadlink/get_autocad_handle_form.h"
#include "acadlink/tf_control.h"

namespace acadlink {

// What each command says when the user cancels the recognition dialog and
// when AutoCAD cannot be recognised.
inline const std::string kPrintCancelMessage = "印刷を中止します。";
inline const std::string kPrintFailureMessage = "KestrelにてAutoCADが認識できません。\r印刷を終了します。";
inline const std::string kScaleCheckCancelMessage = "尺度チェックを中止します。";
inline const std::string kScaleCheckFailureMessage = kPrintFailureMessage;
inline const std::string kPaperCancelMessage = "用紙取得を中止します。";
inline const std::string kPaperFailureMessage = "KestrelにてAutoCADが認識できません。\r用紙取得を終了します。";

// Shown when an AutoCAD that this link object did not start is running.
inline const std::string kCloseRunningAutoCADMessage = "起動中のAuto CADを終了させてください。";

// Finds or starts AutoCAD; when that fails, asks the user for the release
// through the recognition dialog (the single one the shell owns). True when
// link is connected; otherwise the reason has been shown.
bool ConnectAutoCAD(TfControl& link, int startWaitSeconds, const std::string& cancelMessage,
                    const std::string& failureMessage, TGetAutoCADHandleForm& recognitionForm);

}  // namespace acadlink
