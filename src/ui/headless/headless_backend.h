// Controls as plain state. Message boxes are recorded and answered from a
// script; modal forms run a handler the test installs for their class;
// processMessages runs the events a test queued.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/application.h"

namespace ui {

struct RecordedMessage {
  std::string ownerClass;  // empty when no owner
  std::string caption;
  std::string text;
  MsgButtons buttons;
};

class HeadlessBackend : public Backend {
 public:
  void realize(Form& form) override;
  void showForm(Form& form) override;
  void hideForm(Form& form) override;
  int showModal(Form& form) override;
  void formClosed(Form& form) override;
  MsgResult messageBox(Form* owner, const std::string& text, const std::string& caption,
                       MsgButtons buttons, MsgIcon icon) override;
  void processMessages() override;
  void run(Form& mainForm) override;
  void setTitle(const std::string& t) override { title = t; }
  void popupMenu(Control& owner, Menu& menu) override {}
  std::optional<std::string> openFileDialog(Form* owner, const std::string& filter,
                                            const std::string& initialPath) override;
  // Answers for the next open-file dialogs, in order (nullopt: cancelled);
  // when empty, a dialog is cancelled. Each dialog's filter and initial
  // path are recorded.
  std::deque<std::optional<std::string>> fileAnswers;
  struct FileDialogCall {
    std::string filter, initialPath;
  };
  std::vector<FileDialogCall> fileDialogs;
  std::optional<std::string> saveFileDialog(Form* owner, const std::string& filter, const std::string& initialPath,
                                            const std::string& defaultExtension) override;
  // The same for the save-file dialogs, kept apart from the open-file ones.
  std::deque<std::optional<std::string>> saveAnswers;
  std::vector<FileDialogCall> saveDialogs;
  std::optional<std::string> browseForFolder(Form* owner, const std::string& caption, const std::string& rootName,
                                             const std::string& initialFolder) override;
  // Answers for the next folder browsers, in order (nullopt: cancelled);
  // when empty, a browser is cancelled. Each browser is recorded.
  std::deque<std::optional<std::string>> folderAnswers;
  struct FolderDialogCall {
    std::string ownerClass, caption, rootName, initialFolder;
  };
  std::vector<FolderDialogCall> folderDialogs;

  // Every message box shown, in order.
  std::vector<RecordedMessage> messages;
  // Answers for the next message boxes, in order; when empty, a box answers
  // with its first button (Ok or Yes).
  std::deque<MsgResult> answers;
  // Called inside showModal for a form of that class; it should click a
  // button or set the modal result. Without one, showModal returns mrCancel.
  std::map<std::string, std::function<void(Form&)>> modalHandlers;
  // Runs on the n-th call of processMessages from now (1 = the next call).
  void queueEvent(int afterCalls, std::function<void()> event);
  int processMessagesCalls = 0;
  std::string title;
  std::vector<std::string> modalShown;  // class names, in order

 private:
  struct Pending {
    int due;
    std::function<void()> event;
  };
  std::vector<Pending> pending_;
};

}  // namespace ui
