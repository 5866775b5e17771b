#include "ui/headless/headless_backend.h"

namespace ui {

void HeadlessBackend::realize(Form&) {}

void HeadlessBackend::showForm(Form& form) {
  form.setShownState(true);
  form.fireShow();
}

void HeadlessBackend::hideForm(Form& form) { form.setShownState(false); }

int HeadlessBackend::showModal(Form& form) {
  modalShown.push_back(form.className());
  form.setModalState(true);
  form.setShownState(true);
  form.fireShow();
  auto it = modalHandlers.find(form.className());
  if (it != modalHandlers.end()) dispatch([&] { it->second(form); });
  if (form.modalResult() == mrNone && form.shown()) form.close();
  form.setModalState(false);
  form.setShownState(false);
  return form.modalResult() == mrNone ? mrCancel : form.modalResult();
}

void HeadlessBackend::formClosed(Form& form) { form.setShownState(false); }

std::optional<std::string> HeadlessBackend::openFileDialog(Form*, const std::string& filter,
                                                           const std::string& initialPath) {
  fileDialogs.push_back({filter, initialPath});
  if (fileAnswers.empty()) return std::nullopt;
  std::optional<std::string> a = fileAnswers.front();
  fileAnswers.pop_front();
  return a;
}

std::optional<std::string> HeadlessBackend::saveFileDialog(Form*, const std::string& filter,
                                                           const std::string& initialPath, const std::string&) {
  saveDialogs.push_back({filter, initialPath});
  if (saveAnswers.empty()) return std::nullopt;
  std::optional<std::string> a = saveAnswers.front();
  saveAnswers.pop_front();
  return a;
}

std::optional<std::string> HeadlessBackend::browseForFolder(Form* owner, const std::string& caption,
                                                            const std::string& rootName,
                                                            const std::string& initialFolder) {
  folderDialogs.push_back({owner ? owner->className() : std::string(), caption, rootName, initialFolder});
  if (folderAnswers.empty()) return std::nullopt;
  std::optional<std::string> a = folderAnswers.front();
  folderAnswers.pop_front();
  return a;
}

MsgResult HeadlessBackend::messageBox(Form* owner, const std::string& text, const std::string& caption,
                                      MsgButtons buttons, MsgIcon) {
  messages.push_back({owner ? owner->className() : std::string(), caption, text, buttons});
  if (!answers.empty()) {
    MsgResult r = answers.front();
    answers.pop_front();
    return r;
  }
  return (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) ? MsgResult::Yes : MsgResult::Ok;
}

void HeadlessBackend::queueEvent(int afterCalls, std::function<void()> event) {
  pending_.push_back({processMessagesCalls + afterCalls, std::move(event)});
}

void HeadlessBackend::processMessages() {
  ++processMessagesCalls;
  // Take the due events out first: an event may itself process messages.
  std::vector<std::function<void()>> due;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->due <= processMessagesCalls) {
      due.push_back(std::move(it->event));
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& e : due) dispatch(e);
}

void HeadlessBackend::run(Form& mainForm) {
  showForm(mainForm);
  if (mainForm.onStarted && mainForm.shown()) dispatch(mainForm.onStarted);
  while (!pending_.empty() && mainForm.shown()) processMessages();
}

}  // namespace ui
