// The widget gallery: one form with every kind of control on the Win32
// backend, for looking at fonts, layout and behaviour under Wine or Windows.
//
//   uigallery.exe                 the gallery
//   uigallery.exe --modal         opens the modal form at once
//   uigallery.exe --message       opens the Yes/No/Cancel box at once
//   uigallery.exe --drop          drops two files on itself, one with a path
//                                 longer than MAX_PATH
//   uigallery.exe --filltree N    fills the tree with N nodes and exits
//                                 (time it from outside to see it stay linear)
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/widgets.h"
#include "ui/win32/win32_backend.h"
#include "base/codec.h"
#include "uigallery/gallery_native.h"

namespace {

using namespace ui;

std::string fontFace;  // the backend's choice, shown in the status line

// The gallery's options are ASCII; anything else becomes '?'.
char narrowArg(wchar_t c) { return static_cast<char>(c < 0x80 ? c : '?'); }

class ModalSample : public Form {
 public:
  explicit ModalSample(Form* owner) : Form("TModalSample", owner) {
    setCaption("モーダルフォーム");
    position = FormPosition::ScreenCenter;
    resizable = false;
    clientWidth = 360;
    clientHeight = 150;
    setBounds(0, 0, 376, 189);
    auto* prompt = make<Label>(this, "Prompt");
    prompt->setCaption("名前を入力してください:");
    prompt->setBounds(16, 16, 320, 16);
    NameEdit = make<Edit>(this, "NameEdit");
    NameEdit->setBounds(16, 40, 328, 22);
    NameEdit->setText("山田 太郎");
    auto* note = make<CheckBox>(this, "Remember");
    note->setCaption("次回も使う");
    note->setBounds(16, 72, 200, 20);
    auto* ok = make<Button>(this, "OkBtn");
    ok->setCaption("OK");
    ok->setBounds(168, 108, 84, 28);
    ok->modalResult = mrOk;
    ok->setDefault(true);
    auto* cancel = make<Button>(this, "CancelBtn");
    cancel->setCaption("キャンセル");
    cancel->setBounds(260, 108, 84, 28);
    cancel->modalResult = mrCancel;
    cancel->isCancel = true;
  }
  Edit* NameEdit;
};

class Gallery : public Form {
 public:
  Gallery() : Form("TGallery") {
    setCaption("ウィジェット見本 — Kestrel");
    position = FormPosition::ScreenCenter;
    clientWidth = 900;
    clientHeight = 600;
    setBounds(0, 0, 916, 658);
    buildMenu();
    buildLeft();
    buildTree();
    buildGrid();
    buildRight();
    acceptFiles = true;
    onDropFiles = [this](const std::vector<std::string>& files) {
      std::string first = files.empty() ? std::string() : files.front();
      std::string name = first.substr(first.rfind('\\') + 1);
      event(std::to_string(files.size()) + " 個のファイル, 1 個目は " + std::to_string(base::utf8ToUtf16(first).size()) +
            " 文字: …\\" + name);
    };
    onCopyData = [this](std::uintptr_t data, const std::string& bytes) {
      event("コピーデータ " + std::to_string(data) + ": " + std::to_string(bytes.size()) + " バイト");
      return bytes.size() > 0;
    };
  }

  void fillTree(int n) {
    Tree->beginUpdate();
    Tree->clear();
    TreeNode* folder = nullptr;
    for (int i = 0; i < n; ++i) {
      if (i % 20 == 0)
        folder = Tree->addChild(nullptr, "フォルダ " + std::to_string(i / 20), 0);
      else
        Tree->addChild(folder, "図面 " + std::to_string(i) + ".dwg", 1);
    }
    Tree->endUpdate();
  }

  void showModalSample() {
    ModalSample dlg(this);
    int r = dlg.showModal();
    event("モーダル結果: " + std::to_string(r) + "(入力: " + dlg.NameEdit->text() + ")");
  }

  void askQuestion() {
    MsgResult r = messageBox(this, "図面を保存しますか?\n保存しないと変更は失われます。", "確認",
                             MsgButtons::YesNoCancel, MsgIcon::Question);
    const char* names[] = {"OK", "キャンセル", "はい", "いいえ"};
    event(std::string("メッセージの答え: ") + names[static_cast<int>(r)]);
  }

 private:
  void event(const std::string& what) { Status->setCaption("イベント: " + what); }

  void buildMenu() {
    menu = std::make_unique<Menu>();
    MenuItem* file = menu->add("ファイル(&F)");
    file->add("開く(&O)...", [this] { event("メニュー 開く"); });
    file->add("モーダル表示(&M)...", [this] { showModalSample(); });
    file->add("-");
    file->add("終了(&X)", [this] { close(); });
    MenuItem* view = menu->add("表示(&V)");
    view->add("ツリーに 2000 ノード", [this] {
      fillTree(2000);
      event("2000 ノード");
    });
    view->add("一覧に追加(&A)", [this] {
      int i = Layouts->addItem("追加 " + std::to_string(Layouts->count()));
      Layouts->setItemIndex(i);
      event("一覧に追加");
    });
    view->add("一覧の先頭を削除(&D)", [this] { Layouts->deleteItem(0); });
    MenuItem* disabled = view->add("無効な項目");
    disabled->enabled = false;
    MenuItem* help = menu->add("ヘルプ(&H)");
    help->add("バージョン情報(&A)...", [this] { showMessage(this, "Kestrel ウィジェット見本\nバージョン 1.0"); });
    help->add("例外を投げる", [] { throw std::runtime_error("テスト用の例外です。"); });
  }

  void buildLeft() {
    auto label = [this](Control* parent, const char* text, int x, int y) {
      auto* l = make<Label>(parent);
      l->setCaption(text);
      l->setBounds(x, y, 80, 16);
      return l;
    };
    label(this, "図面名(&N):", 8, 12);
    NameEdit = make<Edit>(this, "NameEdit");
    NameEdit->setBounds(90, 8, 200, 22);
    NameEdit->setText("サンプル図面.dwg");
    NameEdit->onChange = [this] { event("編集: " + NameEdit->text()); };

    label(this, "プロッタ:", 8, 40);
    PlotterCombo = make<ComboBox>(this, "PlotterCombo");
    PlotterCombo->setBounds(90, 36, 200, 22);
    PlotterCombo->setItems({"ページサイズ A3 横", "ページサイズ A4 縦", "PDF 出力", "大判プロッタ"});
    PlotterCombo->setItemIndex(0);
    PlotterCombo->onChange = [this] { event("プロッタ: " + PlotterCombo->text()); };
    PlotterCombo->onDropDown = [this] { event("一覧を開いた"); };

    label(this, "縮尺:", 8, 68);
    ScaleCombo = make<ComboBox>(this, "ScaleCombo");
    ScaleCombo->dropDownList = false;
    ScaleCombo->setBounds(90, 64, 200, 22);
    ScaleCombo->setItems({"1/50", "1/100", "1/200", "1/500"});
    ScaleCombo->setText("1/100");
    ScaleCombo->onChange = [this] { event("縮尺: " + ScaleCombo->text()); };

    FitCheck = make<CheckBox>(this, "FitCheck");
    FitCheck->setCaption("用紙に合わせる");
    FitCheck->setBounds(8, 96, 140, 20);
    FitCheck->setChecked(true);
    FitCheck->onClick = [this] { event(std::string("用紙に合わせる = ") + (FitCheck->checked() ? "オン" : "オフ")); };
    auto* portrait = make<CheckBox>(this, "PortraitCheck");
    portrait->setCaption("縦向き");
    portrait->setBounds(160, 96, 130, 20);

    AreaGroup = make<RadioGroup>(this, "AreaGroup");
    AreaGroup->setCaption("印刷範囲");
    AreaGroup->setBounds(8, 122, 282, 80);
    AreaGroup->columns = 2;
    AreaGroup->setItems({"図面範囲", "表示画面", "窓", "レイアウト"});
    AreaGroup->setItemIndex(0);
    AreaGroup->onClick = [this] { event("印刷範囲: " + AreaGroup->items()[AreaGroup->itemIndex()]); };

    auto* out = make<GroupBox>(this, "OutputGroup");
    out->setCaption("出力先");
    out->setBounds(8, 208, 282, 92);
    label(out, "フォルダ:", 10, 24);
    auto* folder = make<Edit>(out, "FolderEdit");
    folder->setBounds(70, 20, 200, 22);
    folder->setText("C:\\出力\\図面");
    auto* overwrite = make<CheckBox>(out, "OverwriteCheck");
    overwrite->setCaption("上書き確認");
    overwrite->setBounds(10, 56, 120, 20);
    auto* browse = make<Button>(out, "BrowseBtn");
    browse->setCaption("参照(&B)...");
    browse->setBounds(180, 52, 90, 28);
    browse->onClick = [this] { event("参照"); };
    browse->setHint("出力フォルダを選びます");

    Log = make<Memo>(this, "Log");
    Log->setBounds(8, 308, 282, 120);
    Log->setLines({"ログ:", "図面を開きました。", "印刷を開始します…"});
    Log->setReadOnly(true);

    Layouts = make<ListBox>(this, "Layouts");
    Layouts->setBounds(8, 436, 282, 110);
    Layouts->setItems({"モデル", "レイアウト1", "レイアウト2", "詳細図 A-A"});
    Layouts->onClick = [this] {
      if (Layouts->itemIndex() >= 0) event("レイアウト: " + Layouts->items()[Layouts->itemIndex()]);
    };
    Layouts->onDoubleClick = [this] { event("レイアウトをダブルクリック"); };
  }

  void buildTree() {
    Icons.add(gallery::makeIcon(gallery::IconKind::Folder));
    Icons.add(gallery::makeIcon(gallery::IconKind::Drawing));
    Tree = make<TreeView>(this, "Tree");
    Tree->setBounds(300, 8, 250, 300);
    Tree->images = &Icons;
    TreeNode* c = Tree->addChild(nullptr, "C:\\図面", 0);
    Tree->addChild(c, "平面図.dwg", 1);
    Tree->addChild(c, "立面図.dwg", 1);
    TreeNode* detail = Tree->addChild(c, "詳細", 0);
    Tree->addChild(detail, "部分詳細図1.dwg", 1);
    Tree->addChild(detail, "部分詳細図2.dwg", 1);
    TreeNode* d = Tree->addChild(nullptr, "D:\\共有\\案件", 0);
    Tree->addChild(d, "配置図.dwg", 1);
    Tree->onChange = [this] {
      if (Tree->selected()) event("ツリー: " + Tree->selected()->text());
    };
    TreeMenu.add("開く", [this] { event("ポップアップ 開く"); });
    TreeMenu.add("削除", [this] {
      if (TreeNode* n = Tree->selected()) Tree->deleteNode(n);
      event("ノードを削除");
    });
    TreeMenu.add("-");
    TreeMenu.add("名前の表示", [this] {
      if (Tree->selected()) showMessage(this, Tree->selected()->text());
    });
    Tree->popupMenu = &TreeMenu;
  }

  void buildGrid() {
    Grid = make<StringGrid>(this, "Grid");
    Grid->setBounds(300, 316, 590, 230);
    Grid->setColCount(6);
    Grid->setRowCount(16);
    const char* heads[] = {"No.", "図面", "レイアウト", "縮尺", "状態", "備考"};
    int widths[] = {36, 170, 110, 70, 90, 160};
    for (int c = 0; c < 6; ++c) {
      Grid->setCell(c, 0, heads[c]);
      Grid->setColWidth(c, widths[c]);
    }
    const char* states[] = {"完了", "エラー", "待機", "印刷中"};
    for (int r = 1; r < 16; ++r) {
      Grid->setCell(0, r, std::to_string(r));
      Grid->setCell(1, r, "図面" + std::to_string(r) + ".dwg");
      Grid->setCell(2, r, r % 3 == 0 ? "モデル" : "レイアウト" + std::to_string(r % 3));
      Grid->setCell(3, r, r % 2 ? "1/100" : "1/50");
      const char* s = states[r % 4];
      Grid->setCell(4, r, s);
      if (r % 4 == 0) Grid->setCellColor(4, r, 0x00C0FFC0);       // green: done
      if (r % 4 == 1) {
        Grid->setCellColor(4, r, 0x00C0C0FF);                     // red: error
        Grid->setCellFontColor(4, r, 0x000000A0);
        Grid->setCell(5, r, "用紙サイズが見つかりません");
      }
      if (r % 4 == 3) Grid->setCellFontColor(4, r, 0x00C00000);  // blue text
    }
    Grid->onClick = [this] {
      event("セル (" + std::to_string(Grid->col()) + ", " + std::to_string(Grid->row()) + ") " +
            Grid->cell(Grid->col(), Grid->row()));
    };
    Grid->onDoubleClick = [this] { event("セルをダブルクリック"); };
  }

  void buildRight() {
    auto* panel = make<Panel>(this, "ProgressPanel");
    panel->setBounds(560, 8, 330, 150);
    auto* l = make<Label>(panel);
    l->setCaption("進行状況:");
    l->setBounds(10, 10, 100, 16);
    Progress = make<ProgressBar>(panel, "Progress");
    Progress->setBounds(10, 32, 310, 18);
    Progress->setPosition(45);
    auto* step = make<Button>(panel, "StepBtn");
    step->setCaption("進める(&S)");
    step->setBounds(10, 60, 90, 28);
    step->onClick = [this] {
      Progress->setPosition(Progress->position() >= 100 ? 0 : Progress->position() + 10);
      Log->addLine("進行: " + std::to_string(Progress->position()) + "%");
      event("進行 " + std::to_string(Progress->position()));
    };
    auto* note = make<Label>(panel);
    note->setCaption("ラベルは長い文章でも、設計の幅より広い時は文字に合わせて伸びます。");
    note->setBounds(10, 100, 310, 40);

    auto* modal = make<Button>(this, "ModalBtn");
    modal->setCaption("モーダル表示(&M)...");
    modal->setBounds(560, 170, 160, 28);
    modal->onClick = [this] { showModalSample(); };
    auto* ask = make<Button>(this, "AskBtn");
    ask->setCaption("メッセージ(&Y)...");
    ask->setBounds(730, 170, 160, 28);
    ask->onClick = [this] { askQuestion(); };
    auto* flat = make<Button>(this, "FlatBtn");
    flat->setCaption("フラット");
    flat->flat = true;
    flat->setBounds(560, 206, 160, 28);
    flat->onClick = [this] { event("フラットボタン"); };
    auto* off = make<Button>(this, "DisabledBtn");
    off->setCaption("無効なボタン");
    off->setBounds(730, 206, 160, 28);
    off->setEnabled(false);

    auto* hint = make<Label>(this);
    hint->setCaption("Enter: OK / Esc: キャンセル / 右クリック: メニュー");
    hint->setBounds(560, 250, 330, 16);
    hint->setFontColor(0x00FF0000);  // blue

    Status = make<Label>(this, "Status");
    Status->setCaption("イベント: (まだありません) UI フォント: " + fontFace);
    Status->setBounds(8, 566, 600, 16);
    auto* ok = make<Button>(this, "OkBtn");
    ok->setCaption("OK");
    ok->setDefault(true);
    ok->setBounds(716, 560, 84, 28);
    ok->onClick = [this] { event("OK (既定のボタン)"); };
    auto* cancel = make<Button>(this, "CancelBtn");
    cancel->setCaption("キャンセル");
    cancel->isCancel = true;
    cancel->setBounds(806, 560, 84, 28);
    cancel->onClick = [this] { event("キャンセル (Esc)"); };
  }

 public:
  ImageList Icons;
  Menu TreeMenu;
  Edit* NameEdit;
  ComboBox* PlotterCombo;
  ComboBox* ScaleCombo;
  CheckBox* FitCheck;
  RadioGroup* AreaGroup;
  Memo* Log;
  ListBox* Layouts;
  TreeView* Tree;
  StringGrid* Grid;
  ProgressBar* Progress;
  Label* Status;
};

}  // namespace

// -municode: the wide entry point, declared here so that this file needs no
// system header.
extern "C" int __stdcall wWinMain(void*, void*, wchar_t* commandLine, int) {
  Win32Backend backend;
  setBackend(&backend);
  setApplicationTitle("Kestrel");
  fontFace = backend.fontFace();

  std::vector<std::string> args;
  std::string cur;
  for (const wchar_t* p = commandLine; p && *p; ++p) {
    if (*p == L' ') {
      if (!cur.empty()) args.push_back(cur);
      cur.clear();
    } else {
      cur += narrowArg(*p);
    }
  }
  if (!cur.empty()) args.push_back(cur);

  auto gallery = std::make_unique<Gallery>();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--filltree" && i + 1 < args.size()) {
      gallery->show();
      gallery->fillTree(std::stoi(args[i + 1]));
      processMessages();
      return gallery->Tree->nodeCount() > 0 ? 0 : 1;
    }
  }
  gallery->show();
  processMessages();
  for (const std::string& a : args) {
    if (a == "--modal") gallery->showModalSample();
    if (a == "--message") gallery->askQuestion();
    if (a == "--drop") {
      std::string deep = "C:\\図面";
      while (base::utf8ToUtf16(deep).size() < 300) deep += "\\とても長いフォルダの名前";
      gallery::postDrop(gallery->handle(), {base::utf8ToUtf16(deep + "\\最後の図面.dwg"), u"C:\\a.dwg"});
    }
  }
  backend.run(*gallery);
  gallery.reset();
  setBackend(nullptr);
  return 0;
}
