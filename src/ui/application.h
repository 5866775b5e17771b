// The application: the backend that gives controls their windows, the
// message loop, message boxes and the default error report.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "ui/widgets.h"

namespace ui {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

// The caption of the program's message boxes.
inline const std::string kMessageCaption = "Kestrel メッセージ";
// The caption of the program's own small windows (no blank).
inline const std::string kFormCaption = "Kestrelメッセージ";
// The caption of the two messages that carry the helper's name.
inline const std::string kWrenlyCaption = "Wrenlyメッセージ";

class Backend {
 public:
  virtual ~Backend() = default;
  // Gives the form and its controls their peers (native windows), hidden.
  // Called once, before the form is first shown or its handle is asked for.
  virtual void realize(Form& form) = 0;
  virtual void showForm(Form& form) = 0;
  virtual void hideForm(Form& form) = 0;
  // Runs a modal loop until the form's modal result is set or it is closed;
  // returns the modal result.
  virtual int showModal(Form& form) = 0;
  // A form was asked to close while it was modal or shown.
  virtual void formClosed(Form& form) = 0;
  virtual MsgResult messageBox(Form* owner, const std::string& text, const std::string& caption,
                               MsgButtons buttons, MsgIcon icon) = 0;
  // Handles the pending messages of the program's own windows and returns.
  virtual void processMessages() = 0;
  // Runs until the main form closes.
  virtual void run(Form& mainForm) = 0;
  virtual void setTitle(const std::string& title) = 0;
  // Pops a menu up at the mouse position (or does nothing headless).
  virtual void popupMenu(Control& owner, Menu& menu) = 0;
  // The open-file dialog. filter: "description|pattern" pairs joined by
  // "|"; the chosen path, or nullopt when the user cancelled.
  virtual std::optional<std::string> openFileDialog(Form* owner, const std::string& filter,
                                                    const std::string& initialPath) = 0;
  // The save-file dialog, which asks before a file is replaced. filter as
  // above; defaultExtension (without ".") is added to a name typed without
  // one. The chosen path, or nullopt when the user cancelled.
  virtual std::optional<std::string> saveFileDialog(Form* owner, const std::string& filter,
                                                    const std::string& initialPath,
                                                    const std::string& defaultExtension) = 0;
  // The shell's folder browser (file-system folders only, with an edit box):
  // caption above the tree, the tree rooted at the shell item whose display
  // name is rootName (the whole namespace when the shell knows none), and
  // initialFolder selected when it is not empty. While it is open the
  // program's other windows are disabled. The chosen folder, or nullopt
  // when the user cancelled.
  virtual std::optional<std::string> browseForFolder(Form* owner, const std::string& caption,
                                                     const std::string& rootName,
                                                     const std::string& initialFolder) = 0;
};

void setBackend(Backend* b);  // once, by the entry point or a test fixture
Backend& backend();
bool hasBackend();

// The application's title ("Kestrel").
void setApplicationTitle(const std::string& title);
const std::string& applicationTitle();

// A message box with the program's caption unless another is given.
MsgResult messageBox(Form* owner, const std::string& text,
                     const std::string& caption = kMessageCaption,
                     MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);
inline void showMessage(Form* owner, const std::string& text,
                        const std::string& caption = kMessageCaption) {
  messageBox(owner, text, caption, MsgButtons::Ok, MsgIcon::None);
}

void processMessages();

// The open-file dialog of the backend; nullopt on cancel (or without a backend).
std::optional<std::string> chooseFileToOpen(Form* owner, const std::string& filter, const std::string& initialPath);
// The save-file dialog of the backend; nullopt on cancel (or without a backend).
std::optional<std::string> chooseFileToSave(Form* owner, const std::string& filter, const std::string& initialPath,
                                            const std::string& defaultExtension);

// The folder browser of the backend; nullopt on cancel (or without a backend).
std::optional<std::string> chooseFolder(Form* owner, const std::string& caption, const std::string& rootName,
                                        const std::string& initialFolder);

// The default error report: the error's text in a message box; the program
// goes on. Event dispatch calls it for every exception an event handler
// lets through.
void reportError(const std::exception& e);
void reportUnknownError();
// Runs an event handler under the default error report.
void dispatch(const std::function<void()>& handler);

}  // namespace ui
