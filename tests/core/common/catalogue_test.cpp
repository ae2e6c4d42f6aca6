#include "core/common/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/cp1251.h"

namespace korvant {
namespace {

std::string U8(const std::string& cp) { return cp1251::toUtf8(cp); }
std::string Cp(const char* utf8) { return cp1251::fromUtf8(utf8); }

// The catalogue source as written, read with the loader's rule: the text
// lies between the first and the last double quote of the line.
struct SourceEntry {
  int id;
  std::string text;
};

std::vector<SourceEntry> ReadSource() {
  // tests/data need not exist, so the source tree is found by name, not by "..".
  auto root = std::filesystem::path(KORVANT_TEST_DATA_DIR).parent_path().parent_path();
  std::ifstream in(root / "src" / "core" / "common" / "resources" / "catalogue.txt");
  std::vector<SourceEntry> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto q1 = line.find('"');
    auto q2 = line.rfind('"');
    if (q1 == std::string::npos || q2 <= q1) continue;
    out.push_back({std::stoi(line.substr(0, q1)), line.substr(q1 + 1, q2 - q1 - 1)});
  }
  return out;
}

std::size_t Utf8Chars(const std::string& s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(Catalogue, KnownEntriesKeepQuotesAndBlanks) {
  EXPECT_EQ(U8(LoadResStr(10000)), "АРМ \"Корвант\"");
  EXPECT_EQ(U8(LoadResStr(10017)), " (изменен)");
  EXPECT_EQ(U8(LoadResStr(10001)), "Параметры проекта ");
  EXPECT_EQ(U8(LoadResStr(10004)), "Данные для расписаний (*.tbl)|*.TBL");
  EXPECT_EQ(U8(LoadResStr(10013)), "Варианты расписаний (*.rsp)|*.RSP");
  EXPECT_EQ(U8(LoadResStr(10255)), "\"отделены\" часы, отсутствующие в раскладке.");
  EXPECT_EQ(U8(LoadResStr(10185)), " конкурирует с уроком \"напарника\" ");
  EXPECT_EQ(U8(LoadResStr(10096 + 4)), "Русский язык/Литература");
  EXPECT_EQ(U8(LoadResStr(10340 + 2)), "10 - 11 кл.");
  EXPECT_TRUE(CatalogueHas(10015));
  EXPECT_TRUE(CatalogueHas(10016));
  EXPECT_FALSE(CatalogueHas(10014));
  EXPECT_TRUE(LoadResStr(10014).empty());
  EXPECT_TRUE(LoadResStr(99999).empty());
  EXPECT_TRUE(LoadResStr(-1).empty());
}

TEST(Catalogue, SourceIsSortedAndEveryTextLoadsUnchanged) {
  auto src = ReadSource();
  ASSERT_FALSE(src.empty()) << "catalogue source not found";
  std::size_t longest = 0;
  for (std::size_t i = 0; i < src.size(); ++i) {
    const auto& e = src[i];
    SCOPED_TRACE(e.id);
    if (i > 0) {
      EXPECT_LT(src[i - 1].id, e.id);  // sorted, no id twice
    }
    EXPECT_GE(e.id, 10000);
    EXPECT_LE(e.id, 10420);
    ASSERT_TRUE(CatalogueHas(e.id));
    std::string cp = LoadResStr(e.id);
    // Every character has its own byte: the UTF-8 text comes back whole,
    // so no character was lost to '?' on the way in.
    EXPECT_EQ(U8(cp), e.text);
    EXPECT_EQ(cp.size(), Utf8Chars(e.text));
    EXPECT_FALSE(cp.empty());
    longest = std::max(longest, cp.size());
  }
  EXPECT_LE(longest, kResStrMax);
  EXPECT_LE(longest, kFormatEntryMax);  // no formatted message loses its tail
  EXPECT_EQ(longest, 121u);
}

TEST(Catalogue, FormattedMessageIsCutAndNeverOverflows) {
  std::string longName(300, 'x');
  std::string msg = FormatMsg(10049, {FileNameOnly("C:\\Data\\" + longName)});
  std::string head = Cp("Формат файла ");
  ASSERT_EQ(msg.size(), kFormattedMax);
  EXPECT_EQ(msg.substr(0, head.size()), head);
  EXPECT_EQ(msg.substr(head.size()), std::string(kFormattedMax - head.size(), 'x'));

  EXPECT_EQ(U8(FormatMsg(10049, {"a.tbl"})), "Формат файла a.tbl не известен или не поддерживается.");
  // A pattern longer than the result is cut as well.
  EXPECT_EQ(FormatText(std::string(400, 'p'), {}).size(), kFormattedMax);
  EXPECT_EQ(FormatText(std::string(250, 'p') + "%hs!", {"0123456789"}),
            std::string(250, 'p') + "01234");
}

TEST(Catalogue, PlaceholdersFillInOrder) {
  EXPECT_EQ(U8(FormatMsg(10150, {Cp("Иванов И.И."), Cp("5А")})),
            "Для учителя Иванов И.И. нет возможности выставить критический урок в 5А классе.");
  EXPECT_EQ(U8(FormatMsg(10192, {"3", "2", "4"})),
            "На 3 уроке свободно только 2 кабинетов вместо требующихся 4. Произвести частичную расстановку?");
  // Missing arguments fill as empty; extra ones are ignored; a '%' that is
  // not a placeholder stays.
  EXPECT_EQ(FormatText("<%hs|%hs>", {"a"}), "<a|>");
  EXPECT_EQ(FormatText("<%hs>", {"a", "b"}), "<a>");
  EXPECT_EQ(FormatText("100% %h %s", {"a"}), "100% %h %s");
  // An argument holding "%hs" is copied, not filled again.
  EXPECT_EQ(FormatText("%hs-%hs", {"%hs", "b"}), "%hs-b");
  EXPECT_TRUE(FormatMsg(99999, {"a"}).empty());
  // File names that CP1251 cannot hold go into the text whole, in UTF-16,
  // cut as the program text would be.
  EXPECT_EQ(FormatMsg16(10049, {u"café.tbl"}), u"Формат файла café.tbl не известен или не поддерживается.");
  EXPECT_EQ(FormatMsg16(10410, {u"naïve", u"5А, Русский"}),
            u"Вариант \"naïve\" не сохранен: в расписании есть блок урока 5А, Русский, которого нет в его "
            u"почасовой раскладке. См. проверку данных.");
  EXPECT_EQ(FormatMsg16(10049, {std::u16string(300, u'é')}).size(), kFormattedMax);
}

TEST(Catalogue, FileNameOnly) {
  EXPECT_EQ(FileNameOnly("C:\\Korvant\\Project\\Школа.tbl"), "Школа.tbl");
  EXPECT_EQ(FileNameOnly("/home/office/Variant/Пн_1.rsp"), "Пн_1.rsp");
  EXPECT_EQ(FileNameOnly("dir/sub\\mixed.rsp"), "mixed.rsp");
  EXPECT_EQ(FileNameOnly("dir\\sub/mixed.rsp"), "mixed.rsp");
  EXPECT_EQ(FileNameOnly("plain.tbl"), "plain.tbl");
  EXPECT_EQ(FileNameOnly("folder/"), "");
  EXPECT_EQ(FileNameOnly(""), "");
}

class ScriptedPrompt : public IPrompt {
 public:
  struct Call {
    PromptOwner owner;
    std::string text;
    uint8_t kind;
  };
  explicit ScriptedPrompt(std::vector<int> answers) : answers_(std::move(answers)) {}
  int ShowErrMsgText(PromptOwner owner, const std::string& text, uint8_t kind) override {
    calls.push_back({owner, text, kind});
    return answers_.at(calls.size() - 1);
  }
  std::vector<Call> calls;

 private:
  std::vector<int> answers_;
};

TEST(Catalogue, PromptReceivesOwnerTextAndKind) {
  int window = 0;
  ScriptedPrompt prompt({kResNo, kResCancel, kResYes, kResYes});
  {
    ScopedPrompt scope(&prompt);
    EXPECT_EQ(ShowErrMsg(&window, 10046, kBoxYesNo), kResNo);
    EXPECT_EQ(ShowErrMsgText(nullptr, FormatMsg(10048, {"a.tbl"}), kBoxYesNoCancel), kResCancel);
    EXPECT_EQ(ShowErrMsg(&window, 10155, kBoxOk), kResYes);
    // A prompt that shows program text only gets a UTF-16 message in CP1251.
    EXPECT_EQ(ShowErrMsgText16(&window, u"café", kBoxOk), kResYes);
  }
  ASSERT_EQ(prompt.calls.size(), 4u);
  EXPECT_EQ(prompt.calls[3].text, "caf?");
  EXPECT_EQ(prompt.calls[0].owner, &window);
  EXPECT_EQ(U8(prompt.calls[0].text), "Вы действительно хотите удалить данную запись?");
  EXPECT_EQ(prompt.calls[0].kind, kBoxYesNo);
  EXPECT_EQ(prompt.calls[1].owner, nullptr);
  EXPECT_EQ(U8(prompt.calls[1].text),
            "Проект a.tbl был изменен. Сохранить изменения? После внесения значительных изменений "
            "старые варианты расписаний недоступны.");
  EXPECT_EQ(prompt.calls[1].kind, kBoxYesNoCancel);
  EXPECT_EQ(prompt.calls[2].kind, kBoxOk);
  EXPECT_EQ(InstalledPrompt(), nullptr);  // the scope put the old one back
}

TEST(Catalogue, ScopedPromptsNest) {
  ScriptedPrompt outer({kResYes}), inner({kResNo});
  ScopedPrompt a(&outer);
  {
    ScopedPrompt b(&inner);
    EXPECT_EQ(InstalledPrompt(), &inner);
    EXPECT_EQ(ShowErrMsg(nullptr, 10060, kBoxYesNo), kResNo);
  }
  EXPECT_EQ(InstalledPrompt(), &outer);
  EXPECT_EQ(ShowErrMsg(nullptr, 10060, kBoxYesNo), kResYes);
  EXPECT_EQ(inner.calls.size(), 1u);
  EXPECT_EQ(outer.calls.size(), 1u);
}

TEST(Catalogue, WithoutPromptNoQuestionIsAnsweredYes) {
  ASSERT_EQ(InstalledPrompt(), nullptr);
  EXPECT_EQ(ShowErrMsg(nullptr, 10049, kBoxOk), kResYes);
  EXPECT_EQ(ShowErrMsg(nullptr, 10046, kBoxYesNo), kResNo);
  EXPECT_EQ(ShowErrMsgText(nullptr, "?", kBoxYesNoCancel), kResCancel);
  EXPECT_EQ(ShowErrMsgText16(nullptr, u"?", kBoxYesNo), kResNo);
}

}  // namespace
}  // namespace korvant
