#pragma once
// Stand-ins for the editor windows and the variant window, so the main
// window's protocols can be tested before those windows exist.
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/project/project.h"
#include "platform/window_messages.h"
#include "windows/shell/frame_services.h"

namespace korvant::test {

// Five MDI children tagged 0..4. Closing one only hides it and posts
// 45256 (kind, 0) to the main window, as the editors do.
class FakeEditors : public IListEditors, public QObject {
 public:
  FakeEditors(TMdiTable& project, QMdiArea& workspace) {
    const char* names[] = {"Кабинеты", "Предметы", "Классы", "Учителя", "Уроки"};
    for (int k = 0; k < kEditorKinds; ++k) {
      auto* w = new QLabel(QString::fromUtf8(names[k]));
      SetWindowTag(w, k);
      QMdiSubWindow* sub = workspace.addSubWindow(w);
      sub->setAttribute(Qt::WA_DeleteOnClose, false);
      sub->installEventFilter(this);
      subs_.push_back(sub);
      if (project.EditorShowCmd(k) != kShowHidden) sub->show(); else sub->hide();
    }
  }
  ~FakeEditors() override {
    for (auto it = subs_.rbegin(); it != subs_.rend(); ++it) delete it->data();
  }
  int32_t Show(int kind, bool show) override {
    ++showCalls[kind];
    QMdiSubWindow* sub = subs_.at(static_cast<std::size_t>(kind));
    if (show) sub->show(); else sub->hide();
    return show ? kShowNormal : kShowHidden;
  }
  void LessonsPerDayChanged(int l) override { lastL = l; }
  void CheckData(int kind, const TMdiTable& project, IDataReport* report,
                 const CheckPump& pump) override {
    checked.push_back(kind);
    IListEditors::CheckData(kind, project, report, pump);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Close) {
      auto* sub = static_cast<QMdiSubWindow*>(o);
      e->ignore();
      sub->hide();
      const int kind = WindowTag(sub->widget());
      postToTag(kTagMainWindow, kMsgEditorShow, kind, kShowHidden);
      return true;
    }
    return false;
  }
  QMdiSubWindow* Sub(int kind) const { return subs_.at(static_cast<std::size_t>(kind)); }

  std::map<int, int> showCalls;
  std::vector<int> checked;
  int lastL = 0;

 private:
  std::vector<QPointer<QMdiSubWindow>> subs_;
};

struct VariantLog {
  int created = 0;
  int freed = 0;
  std::vector<std::filesystem::path> loaded;
  int queries = 0;
  std::deque<int> queryAnswers;  // then 1
  std::vector<int> saves;
  std::vector<int> regimes;
  std::vector<VariantCommand> commands;
  std::vector<uint32_t> messages;  // received by the window
  std::filesystem::path nextSelected;
};

class FakeVariantWidget : public QLabel, public MessageTarget {
 public:
  explicit FakeVariantWidget(VariantLog& log) : QLabel(QStringLiteral("variant")), log_(log) {
    setMessageTag(kTagVariantWindow);
    SetWindowTag(this, kTagVariantWindow);
  }
  MsgResult handleMessage(uint32_t msg, MsgParam, MsgParam) override {
    log_.messages.push_back(msg);
    return 0;
  }

 private:
  VariantLog& log_;
};

class FakeVariantWindow : public IVariantWindow {
 public:
  FakeVariantWindow(QMdiArea& workspace, VariantLog& log) : log_(log) {
    widget_ = new FakeVariantWidget(log);
    sub_ = workspace.addSubWindow(widget_);
    sub_->show();
    ++log_.created;
    // Its constructor tells the main window the regime.
    sendToTag(kTagMainWindow, kMsgRegime, 2);
  }
  ~FakeVariantWindow() override {
    ++log_.freed;
    delete sub_.data();
  }
  QWidget* Window() override { return sub_; }
  int QuerySave() override {
    ++log_.queries;
    if (log_.queryAnswers.empty()) return kQuerySaved;
    const int a = log_.queryAnswers.front();
    log_.queryAnswers.pop_front();
    return a;
  }
  void Save(int tag) override { log_.saves.push_back(tag); }
  void SetRegime(int regime) override { log_.regimes.push_back(regime); }
  std::filesystem::path SelectVarFile() override { return log_.nextSelected; }
  void Command(VariantCommand c) override { log_.commands.push_back(c); }

 private:
  VariantLog& log_;
  QPointer<QMdiSubWindow> sub_;
  FakeVariantWidget* widget_;
};

class FakeVariantFactory : public IVariantWindowFactory {
 public:
  VariantLog log;
  std::unique_ptr<IVariantWindow> Create(TMdiTable&, QMdiArea& workspace) override {
    return std::make_unique<FakeVariantWindow>(workspace, log);
  }
  std::unique_ptr<IVariantWindow> Load(TMdiTable&, QMdiArea& workspace,
                                       const std::filesystem::path& fileName) override {
    log.loaded.push_back(fileName);
    if (fileName.native().find("bad") != std::string::npos) return nullptr;
    return std::make_unique<FakeVariantWindow>(workspace, log);
  }
};

}  // namespace korvant::test
