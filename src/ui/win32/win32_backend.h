// The real widget backend: every control becomes a window made with the W
// functions, in the Japanese UI font, with system DPI awareness. Create one
// in the entry point and hand it to ui::setBackend.
#pragma once
#include <memory>
#include <string>

#include "ui/application.h"

namespace ui {

namespace win32 {
class Backend32;
}

class Win32Backend : public Backend {
 public:
  // Declares DPI awareness, loads the common controls, registers the window
  // classes and picks the UI font.
  Win32Backend();
  ~Win32Backend() override;

  void realize(Form& form) override;
  void showForm(Form& form) override;
  void hideForm(Form& form) override;
  int showModal(Form& form) override;
  void formClosed(Form& form) override;
  MsgResult messageBox(Form* owner, const std::string& text, const std::string& caption,
                       MsgButtons buttons, MsgIcon icon) override;
  void processMessages() override;
  void run(Form& mainForm) override;
  void setTitle(const std::string& title) override;
  void popupMenu(Control& owner, Menu& menu) override;
  std::optional<std::string> openFileDialog(Form* owner, const std::string& filter,
                                            const std::string& initialPath) override;
  std::optional<std::string> saveFileDialog(Form* owner, const std::string& filter, const std::string& initialPath,
                                            const std::string& defaultExtension) override;
  std::optional<std::string> browseForFolder(Form* owner, const std::string& caption, const std::string& rootName,
                                             const std::string& initialFolder) override;

  // The face name of the UI font that was found ("IPAGothic" under Wine).
  std::string fontFace() const;

 private:
  std::unique_ptr<win32::Backend32> impl_;
};

}  // namespace ui
