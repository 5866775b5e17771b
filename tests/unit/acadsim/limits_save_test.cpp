// The limits command: its questions, defaults and answers.
#include <gtest/gtest.h>

#include <filesystem>

#include "acadsim/dxf.h"
#include "acadsim/session.h"
#include "acadsim_support.h"
#include "base/paths.h"
#include "base/text.h"

using acadsim::Session;
using acadsim_test::cutDefault;

namespace {

// Beside the sources: the tests run from the build folder.
const std::filesystem::path kRoot = std::filesystem::path(__FILE__).parent_path() / "../../..";

std::string sourceFile(const std::string& relative) {
  std::string bytes;
  EXPECT_TRUE(base::readFileBytes((kRoot / relative).string(), bytes)) << relative;
  return bytes;
}

struct LimitsTest : ::testing::Test {
  acadsim_test::ScratchFolder dir;
  acadsim::Journal journal;
  std::unique_ptr<Session> s;
  const std::string original = sourceFile("data/samples/default_limits.dxf");  // limits 0,0 - 12,9

  // A copy of the sample under the name given, opened.
  std::string open(const std::string& name, int release = 2004) {
    acadsim::Options o;
    o.release = release;
    o.workFolder = dir.folder();
    s = std::make_unique<Session>(o, &journal);
    s->start();
    type("fileopen\n" + dir.write(name, original) + "\n");
    EXPECT_EQ(s->drawingPath(), dir.path(name));
    return dir.path(name);
  }
  void type(const std::string& utf8) { s->typeText(utf8); }
  std::string prompt() const { return s->promptLine(); }
  std::string last() const { return s->history().back(); }
  std::string getVariable(const std::string& name) {
    type(name + "\n");
    const std::string p = prompt();
    type("\x1b");
    return cutDefault(p);
  }
};

TEST_F(LimitsTest, AsksBothCornersWithTheCurrentLimitsInEitherFamily) {
  open("a.dwg");
  type("_Limits\n");
  EXPECT_EQ(last(), "モデル空間の図面範囲をリセット:");
  EXPECT_EQ(prompt(), "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <0.0000,0.0000>: ");
  type("-10,5\n");
  EXPECT_EQ(prompt(), "右上コーナーを指定 <12.0000,9.0000>: ");
  type("420,297\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(getVariable("LIMMIN"), "-10.0000,5.0000");
  EXPECT_EQ(getVariable("LIMMAX"), "420.0000,297.0000");
  EXPECT_TRUE(s->modified());

  open("b.dwg", 2000);
  type("LIMITS\n");
  EXPECT_EQ(prompt(), "左下ｺｰﾅｰを指定 または [ｵﾝ(ON)/ｵﾌ(OFF)] <0.0000,0.0000>: ");
  type("?\n");
  EXPECT_EQ(last(), "2D 点またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。");
  type("\n");
  EXPECT_EQ(prompt(), "右上ｺｰﾅｰを指定 <12.0000,9.0000>: ");
}

TEST_F(LimitsTest, EnterOnOffGarbageAndEscape) {
  open("a.dwg");
  type("limits\n\n\n");  // Enter keeps both
  type("limits\nON\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  type("limits\n_off\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_FALSE(s->modified());

  // Unreadable answers ask the same question again; ESC on the second
  // question leaves the first corner as it was too.
  type("limits\nabc\n");
  EXPECT_EQ(last(), "2D 点またはオプション キーワードが必要です。");
  EXPECT_EQ(prompt(), "左下コーナーを指定 または [オン(ON)/オフ(OFF)] <0.0000,0.0000>: ");
  type("5,5\n1,2,3,4\n");
  EXPECT_EQ(last(), "2D 点が必要です。");
  EXPECT_EQ(prompt(), "右上コーナーを指定 <12.0000,9.0000>: ");
  type("\x1b");
  // Corners that enclose nothing are refused.
  type("limits\n20,20\n10,30\n");
  EXPECT_EQ(prompt(), "コマンド: ");
  EXPECT_EQ(s->variable("LIMMIN"), "0.0000,0.0000");
  EXPECT_EQ(s->variable("LIMMAX"), "12.0000,9.0000");
  EXPECT_FALSE(s->modified());

  type("limits\n\n100,50\n");  // Enter keeps the first corner only
  EXPECT_EQ(s->variable("LIMMIN"), "0.0000,0.0000");
  EXPECT_EQ(s->variable("LIMMAX"), "100.0000,50.0000");
}

}  // namespace
