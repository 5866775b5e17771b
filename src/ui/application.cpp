#include "ui/application.h"

#include <stdexcept>

namespace ui {
namespace {
Backend* g_backend = nullptr;
std::string g_title;
}  // namespace

void setBackend(Backend* b) { g_backend = b; }
bool hasBackend() { return g_backend != nullptr; }
Backend& backend() {
  if (!g_backend) throw std::logic_error("no user-interface backend");
  return *g_backend;
}

void setApplicationTitle(const std::string& title) {
  g_title = title;
  if (g_backend) g_backend->setTitle(title);
}
const std::string& applicationTitle() { return g_title; }

MsgResult messageBox(Form* owner, const std::string& text, const std::string& caption, MsgButtons buttons,
                     MsgIcon icon) {
  return backend().messageBox(owner, text, caption, buttons, icon);
}

std::optional<std::string> chooseFileToOpen(Form* owner, const std::string& filter, const std::string& initialPath) {
  if (!hasBackend()) return std::nullopt;
  return backend().openFileDialog(owner, filter, initialPath);
}

std::optional<std::string> chooseFileToSave(Form* owner, const std::string& filter, const std::string& initialPath,
                                            const std::string& defaultExtension) {
  if (!hasBackend()) return std::nullopt;
  return backend().saveFileDialog(owner, filter, initialPath, defaultExtension);
}

std::optional<std::string> chooseFolder(Form* owner, const std::string& caption, const std::string& rootName,
                                        const std::string& initialFolder) {
  if (!hasBackend()) return std::nullopt;
  return backend().browseForFolder(owner, caption, rootName, initialFolder);
}

void processMessages() {
  if (g_backend) g_backend->processMessages();
}

void reportError(const std::exception& e) {
  // The application's title as caption, as the default report of the
  // user's system does.
  if (g_backend) g_backend->messageBox(nullptr, e.what(), g_title, MsgButtons::Ok, MsgIcon::Error);
}

void reportUnknownError() {
  if (g_backend) g_backend->messageBox(nullptr, "予期しないエラーが発生しました。", g_title, MsgButtons::Ok, MsgIcon::Error);
}

void dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    reportError(e);
  } catch (...) {
    reportUnknownError();
  }
}

}  // namespace ui
