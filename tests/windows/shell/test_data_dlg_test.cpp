#include <gtest/gtest.h>

#include <QPointer>
#include <QtTest/QTest>

#include "controls/form_util.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "platform/help_service.h"
#include "platform/window_messages.h"
#include "window_test_util.h"
#include "windows/shell/test_data_dlg.h"

namespace korvant {
namespace {

using test::W;

TEST(TestDataDlg, Form) {
  TTestDataDlg d(nullptr);
  d.setAttribute(Qt::WA_DeleteOnClose, false);
  EXPECT_EQ(d.windowTitle(), Ru("Проверка данных"));
  EXPECT_EQ(d.size(), QSize(426, 273));
  EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
  ASSERT_EQ(d.Pages()->count(), 5);
  const char* names[] = {"Кабинеты", "Предметы", "Классы", "Учителя", "Уроки"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.Pages()->tabText(i), Ru(names[i]));
  EXPECT_EQ(d.CloseButton()->text(), Ru("Закрыть"));
  EXPECT_EQ(d.CloseButton()->geometry(), QRect(124, 242, 80, 25));
  EXPECT_EQ(d.HelpButton()->geometry(), QRect(220, 242, 80, 25));
  EXPECT_EQ(HelpContext(&d), 27);
  std::vector<int> asked;
  ScopedHelpHook hook([&asked](int c) { asked.push_back(c); });
  d.show();
  test::LeftClick(d.HelpButton());
  EXPECT_EQ(asked, std::vector<int>{27});
}

TEST(TestDataDlg, DemonstrationProjectHasNoFindingsOnAnyPage) {
  TMdiTable project;
  ASSERT_TRUE(project.OpenImage(DemoProjectFileName(), DemoProjectImage()));
  TTestDataDlg d(nullptr);
  d.setAttribute(Qt::WA_DeleteOnClose, false);
  int pumps = 0;
  CheckProjectData(project.Data(), &d, [&pumps] { ++pumps; });
  EXPECT_EQ(pumps, 5);
  for (int kind = 0; kind < 5; ++kind)
    EXPECT_EQ(d.ShownLines(kind), QStringList{Ru("1. Ошибок не обнаружено.")}) << kind;
  EXPECT_EQ(d.Pages()->currentIndex(), 4);  // the page filled last
}

TEST(TestDataDlg, FaultsAreListedNumberedAndARerunReplacesThePage) {
  TMdiTable project;
  ASSERT_TRUE(project.OpenImage(DemoProjectFileName(), DemoProjectImage()));
  TRoomItem* r = project.Data().Rooms.Add();  // no name, no seats
  r->MaxChildren = 0;
  TTestDataDlg d(nullptr);
  d.setAttribute(Qt::WA_DeleteOnClose, false);
  CheckProjectData(project.Data(), &d);
  EXPECT_EQ(d.ShownLines(0), (QStringList{Ru("1. Неизвестный кабинет: задайте имя."),
                                          Ru("2. Неизвестный кабинет: задайте число мест.")}));
  EXPECT_EQ(d.ShownLines(1), QStringList{Ru("1. Ошибок не обнаружено.")});
  r->SetName(W("Каб. 99"));
  CheckRooms(project.Data().Rooms, &d);
  EXPECT_EQ(d.ShownLines(0), QStringList{Ru("1. Каб. 99: задайте число мест.")});
  EXPECT_EQ(d.Pages()->currentIndex(), 0);
}

// The owner hears of the close (45275) and the window is freed.
class Owner : public QWidget, public MessageTarget {
 public:
  int closedMessages = 0;
  MsgResult handleMessage(uint32_t msg, MsgParam, MsgParam) override {
    if (msg == kMsgDataCheckClosed) ++closedMessages;
    return 0;
  }
};

TEST(TestDataDlg, ClosingSendsTheOwnerOneMessageAndFreesTheWindow) {
  Owner owner;
  MessageTraceRecorder trace;
  QPointer<TTestDataDlg> d = new TTestDataDlg(&owner);
  d->show();
  test::LeftClick(d->CloseButton());
  EXPECT_EQ(owner.closedMessages, 1);
  ASSERT_EQ(trace.of(kMsgDataCheckClosed).size(), 2u);  // sent and returned
  EXPECT_EQ(trace.of(kMsgDataCheckClosed)[0].event, MessageEvent::Sent);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(d.isNull());
}

}  // namespace
}  // namespace korvant
