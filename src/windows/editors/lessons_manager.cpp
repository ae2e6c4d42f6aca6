#include "windows/editors/lessons_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>

#include "controls/bit_btn.h"
#include "controls/speed_button.h"
#include "core/project/lesson_links.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"
#include "windows/editors/editor_fields.h"
#include "windows/editors/sorted_items.h"
#include "windows/shell/error_box.h"

namespace korvant {

namespace {
constexpr int kMsgBadGroups = 10043;
constexpr int kMsgBadLayout = 10044;
constexpr int kMsgBadPupils = 10045;
constexpr int kMsgUnknownSubject = 10065;
constexpr int kMsgUnknownKlass = 10066;
constexpr int kMsgUnknownTeacher = 10067;
constexpr int kMsgGroupWord = 10070;
constexpr int kPupilsWithoutKlass = 30;
constexpr int kMaxPupils = 10000;
const QColor kRed(255, 0, 0);

// The hourglass while a list is built.
class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The colour of an enabled control's text; a disabled control keeps the
// disabled colour, so it still looks disabled.
void SetTextColour(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Active, role, colour);
  pal.setColor(QPalette::Inactive, role, colour);
  w->setPalette(pal);
}

QString NumberText(int number, int group, int groups) {
  return groups > 1 ? QStringLiteral("%1.%2").arg(number).arg(group + 1) : QString::number(number);
}

// Selects the entry carrying id; answers whether there is one.
bool SelectObject(QComboBox* combo, TSortedComboModel* model, int32_t id) {
  const int row = id >= 0 ? model->FindObject(id) : -1;
  combo->setCurrentIndex(row);
  return row >= 0;
}
}  // namespace

void DistributePupils(TLessonItem& lesson, int pupils) {
  const int n = lesson.SubItemsCount();
  if (n < 1) return;
  pupils = std::clamp(pupils, 0, kMaxPupils);
  const int each = pupils / n;
  const int more = pupils - n * each;
  for (int g = 0; g < n; ++g)
    lesson.GetSubItem(g)->ChildrenInGroup = static_cast<uint16_t>(each + (g < more ? 1 : 0));
}

std::string QuantsText(const TLessonItem& lesson) {
  std::string text;
  for (int i = 1, n = lesson.QuantsCount(); i <= n; ++i) {
    if (!text.empty()) text += ',';
    text += std::to_string(lesson.QuantAt(i));
  }
  return text;
}

std::vector<TLessonPlace> LessonsInKlassOrder(const TLessonsCollection& lessons,
                                              const std::vector<int32_t>& klassOrder) {
  std::vector<int32_t> order = klassOrder;
  for (const auto& l : lessons)
    if (std::find(order.begin(), order.end(), l->KlassID) == order.end()) order.push_back(l->KlassID);
  std::vector<TLessonPlace> places;
  places.reserve(static_cast<std::size_t>(lessons.Count()));
  for (int32_t klass : order) {
    int number = 0;
    for (int i = 0; i < lessons.Count(); ++i)
      if (lessons.GetItem(i)->KlassID == klass) places.push_back({i, ++number});
  }
  return places;
}

// ---- window ----------------------------------------------------------------------

TLessonsManager::TLessonsManager(TLessonsCollection& lessons, const TTeachersCollection& teachers,
                                 const TKlassesCollection& klasses, const TSubjectsCollection& subjects,
                                 TProjParamsRec& params, QWidget* parent)
    : TListEditor(kTagLessons, QStringLiteral("Уроки"), 12, QSize(447, 369), 80, params, parent),
      lessons_(lessons),
      teachers_(teachers),
      klasses_(klasses),
      subjects_(subjects) {
  RunLinkDialog = [](TLinkDlg& d) { return d.ShowModal(); };
  RunFindDialog = [](TLessonFindDlg& d) { return d.ShowModal(); };
  RunSepQuantsDialog = [](TSepQuantsDlg& d) { return d.ShowModal(); };

  // Lessons keep the order in which they were added: no move button.
  MoveRecordButton()->hide();
  const int bx = ClientWidth() - 91 - 8;
  RemoveRecordButton()->move(bx, 40);
  PreviousRecordButton()->move(bx, 72);
  NextRecordButton()->move(bx, 104);
  HelpBtn()->move(bx, 136);

  AddLabel(QStringLiteral("Класс, в котором проводится урок:"), QRect(8, 11, 212, 16));
  klassCombo_ = new QComboBox(this);
  klassCombo_->setGeometry(222, 8, 116, 22);
  klassModel_ = new TSortedComboModel(klassCombo_);
  klassModel_->Attach(klassCombo_);
  connect(klassCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    TLessonItem* l = Item();
    if (Updating() || !l) return;
    l->KlassID = i >= 0 ? klassModel_->Object(i) : -1;
    DistributePupils(*l, KlassPupils(l->KlassID));
    if (Group()) {
      UpdatingScope u(*this);
      pupilsEdit_->setText(QString::number(Group()->ChildrenInGroup));
    }
    Changed();
  });

  AddLabel(QStringLiteral("Групп:"), QRect(8, 39, 45, 16));
  groupsEdit_ = AddTextField(
      QRect(55, 36, 30, 22), kMsgBadGroups,
      [](const std::string& t) { return t.empty() || ParseNumberField(t, 1, kMaxLessonGroups).has_value(); },
      [this](const std::string& t) { return StoreGroupsCount(t); },
      [this] { return std::to_string(Item()->SubItemsCount()); });

  AddLabel(QStringLiteral("Раскладка:"), QRect(95, 39, 65, 16));
  quantEdit_ = AddTextField(
      QRect(160, 36, 178, 22), kMsgBadLayout,
      [this](const std::string& t) {
        // The front blocks, a 0 word and the separated blocks share 21 words.
        const int room = std::max(0, kQuantWords - 1 - Item()->SepQuantsCount());
        return t.empty() || ParseQuants(t, room).has_value();
      },
      [this](const std::string& t) { return StoreQuants(t); }, [this] { return QuantsText(*Item()); });
  quantEdit_->installEventFilter(this);

  noRoomBox_ = new QCheckBox(QStringLiteral("Открепить кабинеты:"), this);
  noRoomBox_->setLayoutDirection(Qt::RightToLeft);  // the text left of the box
  noRoomBox_->setGeometry(8, 64, 170, 20);
  connect(noRoomBox_, &QCheckBox::toggled, this, [this](bool on) {
    if (Updating() || !Item()) return;
    Item()->NoAttachedRoom = on ? 1 : 0;
    Changed();
  });

  AddLabel(QStringLiteral("Занятость:"), QRect(8, 92, 70, 16));
  AddStateButton(this, QStringLiteral("Занят"), BusyState, QRect(80, 90, 17, 20), QColor(255, 0, 0));
  AddStateButton(this, QStringLiteral("Свободен"), FreeState, QRect(100, 90, 17, 20), QColor(0, 128, 0));
  CreateWeekGrid(this, QPoint(8, 112));
  PressStateButton(FreeState);

  // The groups: a tab per group over the group's own controls.
  groupArea_ = new QWidget(this);
  groupArea_->setGeometry(8, 240, 421, 123);
  tabs_ = new QTabBar(groupArea_);
  tabs_->setGeometry(0, 0, 421, 22);
  tabs_->setExpanding(false);
  tabs_->addTab(QStringLiteral("1 ") + ResQ(kMsgGroupWord));
  connect(tabs_, &QTabBar::currentChanged, this, [this](int i) {
    if (Updating() || i < 0 || !Item()) return;
    group_ = i;
    UpdatingScope u(*this);
    ShowGroup();
  });
  auto* panel = new QFrame(groupArea_);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setGeometry(0, 21, 421, 102);
  auto label = [panel](const QString& text, QRect g) {
    auto* l = NewLabel(text, panel);
    l->setGeometry(g);
    return l;
  };
  auto choice = [this, panel](QRect g, TSortedComboModel*& model) {
    auto* c = new QComboBox(panel);
    c->setGeometry(g);
    model = new TSortedComboModel(c);
    model->Attach(c);
    return c;
  };
  label(QStringLiteral("Предмет:"), QRect(8, 9, 60, 16));
  subjectCombo_ = choice(QRect(70, 6, 240, 22), subjectModel_);
  connect(subjectCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Group()) return;
    Group()->SubjectID = i >= 0 ? subjectModel_->Object(i) : -1;
    Changed();
  });
  label(QStringLiteral("Учитель:"), QRect(8, 37, 60, 16));
  teacherCombo_ = choice(QRect(70, 34, 240, 22), teacherModel_);
  connect(teacherCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Group()) return;
    Group()->TeacherID = i >= 0 ? teacherModel_->Object(i) : -1;
    Changed();
  });
  label(QStringLiteral("Учеников:"), QRect(8, 67, 60, 16));
  pupilsEdit_ = AddTextField(
      QRect(70, 64, 50, 22), kMsgBadPupils,
      [](const std::string& t) { return ParseNumberField(t, 0, kMaxPupils).has_value(); },
      [this](const std::string& t) {
        if (!Group()) return false;
        Group()->ChildrenInGroup = static_cast<uint16_t>(*ParseNumberField(t, 0, kMaxPupils));
        return true;
      },
      [this] { return Group() ? std::to_string(Group()->ChildrenInGroup) : std::string(); });
  pupilsEdit_->setParent(panel);
  pupilsEdit_->setGeometry(70, 64, 50, 22);
  pupilsEdit_->show();
  label(QStringLiteral("Фикт. каб:"), QRect(130, 67, 60, 16));
  fictionEdit_ = new QLineEdit(panel);
  fictionEdit_->setGeometry(190, 64, 120, 22);
  fictionEdit_->setMaxLength(int(kFictionNameSize) - 1);
  connect(fictionEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (Updating() || !Group()) return;
    Group()->SetFictionName(FromQt(text));
    Changed();
  });

  auto button = [panel](const QString& text, const QString& hint, int help, int y) {
    auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, text, panel);
    b->setGeometry(322, y, 91, 25);
    b->setToolTip(hint);
    SetHelpContext(b, help);
    return b;
  };
  clearBtn_ = button(QStringLiteral("Очистка"), QStringLiteral("Очистка данных группы"), 207, 6);
  linkBtn_ = button(QStringLiteral("Связка"), QStringLiteral("Связать подгруппы"), 208, 38);
  findBtn_ = button(QStringLiteral("Найти   "), QStringLiteral("Найти запись"), 206, 70);
  connect(clearBtn_, &TPrgBitBtn::Clicked, this, &TLessonsManager::ClearGrpClick);
  connect(linkBtn_, &TPrgBitBtn::Clicked, this, &TLessonsManager::LinkClick);
  connect(findBtn_, &TPrgBitBtn::Clicked, this, &TLessonsManager::FindRecordClick);

  SizeWeekGrid();
  Reload();
}

TLessonsManager::~TLessonsManager() = default;

TLessonSubItem* TLessonsManager::Group() const {
  TLessonItem* l = Item();
  return l ? l->GetSubItem(group_) : nullptr;
}

int32_t TLessonsManager::RecordID(int index) const { return lessons_.GetItem(index)->ID(); }

std::string TLessonsManager::DisplayName(int index) const {
  return FromQt(KlassText(lessons_.GetItem(index)->KlassID));
}

int TLessonsManager::AppendRecord() {
  lessons_.Add()->SetSubItemsCount(1);
  return lessons_.Count() - 1;
}

void TLessonsManager::DeleteRecord(int index) {
  const TLessonItem* l = lessons_.GetItem(index);
  if (!l) return;
  // Other lessons keep no link to a lesson that is gone.
  DropLinksTo(lessons_, l->ID());
  lessons_.Delete(index);
}

int TLessonsManager::KlassPupils(int32_t klassId) const {
  const TKlassItem* k = klassId >= 0 ? klasses_.FindItemID(klassId) : nullptr;
  return k ? k->ChildrenInKlass : kPupilsWithoutKlass;
}

// ---- showing -----------------------------------------------------------------------

void TLessonsManager::LoadFields(int index) {
  const TLessonItem* l = lessons_.GetItem(index);
  group_ = 0;
  findBtn_->setEnabled(l);
  klassCombo_->setEnabled(l);
  noRoomBox_->setEnabled(l);
  ColourLayout();
  if (!l) {
    klassCombo_->setCurrentIndex(-1);
    klassModel_->Clear();
    noRoomBox_->setChecked(false);
    ClearGroupPart();
    return;
  }
  FillKlassCombo();
  noRoomBox_->setChecked(l->NoAttachedRoom != 0);
  const int n = l->SubItemsCount();
  if (n > 0) {
    SetTabCount(n);
    ShowGroup();
  } else {
    ClearGroupPart();
  }
}

void TLessonsManager::SetTabCount(int n) {
  while (tabs_->count() > n) tabs_->removeTab(tabs_->count() - 1);
  while (tabs_->count() < n) tabs_->addTab(QStringLiteral("%1 ").arg(tabs_->count() + 1) + ResQ(kMsgGroupWord));
}

void TLessonsManager::ShowGroup() {
  const TLessonSubItem* g = Group();
  if (!g) {
    ClearGroupPart();
    return;
  }
  tabs_->setEnabled(true);
  tabs_->setCurrentIndex(group_);
  for (QWidget* w : {static_cast<QWidget*>(subjectCombo_), static_cast<QWidget*>(teacherCombo_),
                     static_cast<QWidget*>(pupilsEdit_), static_cast<QWidget*>(fictionEdit_),
                     static_cast<QWidget*>(clearBtn_), static_cast<QWidget*>(linkBtn_)})
    w->setEnabled(true);
  FillSubjectCombo();
  FillTeacherCombo();
  pupilsEdit_->setText(QString::number(g->ChildrenInGroup));
  fictionEdit_->setText(ToQt(g->GetFictionName()));
  ColourLinkBtn();
}

void TLessonsManager::ClearGroupPart() {
  tabs_->setEnabled(false);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  for (auto [combo, model] : {std::pair{subjectCombo_, subjectModel_}, std::pair{teacherCombo_, teacherModel_}}) {
    combo->setCurrentIndex(-1);
    model->Clear();
    combo->setEnabled(false);
  }
  pupilsEdit_->clear();
  pupilsEdit_->setEnabled(false);
  fictionEdit_->clear();
  fictionEdit_->setEnabled(false);
  clearBtn_->setEnabled(false);
  linkBtn_->setEnabled(false);
  ColourLinkBtn();
}

void TLessonsManager::ColourLayout() {
  const TLessonItem* l = Item();
  SetTextColour(quantEdit_, QPalette::Text,
                l && l->SepQuantsCount() > 0 ? kRed : palette().color(QPalette::Text));
}

void TLessonsManager::ColourLinkBtn() {
  const TLessonSubItem* g = Group();
  SetTextColour(linkBtn_, QPalette::ButtonText,
                g && g->LinksCount() > 0 ? kRed : palette().color(QPalette::ButtonText));
}

void TLessonsManager::FillKlassCombo() {
  TLessonItem* l = Item();
  klassCombo_->setCurrentIndex(-1);
  klassModel_->Clear();
  for (const auto& k : klasses_) klassModel_->Add(ToQt(k->DisplayName()), k->ID());
  klassCombo_->setEnabled(true);
  if (!SelectObject(klassCombo_, klassModel_, l->KlassID) && l->KlassID >= 0 && RepairsAllowed()) {
    l->KlassID = -1;
    Changed();
  }
}

void TLessonsManager::FillSubjectCombo() {
  TLessonSubItem* g = Group();
  subjectCombo_->setCurrentIndex(-1);
  subjectModel_->Clear();
  for (const auto& s : subjects_) subjectModel_->Add(ToQt(s->DisplayName()), s->ID());
  if (!SelectObject(subjectCombo_, subjectModel_, g->SubjectID) && g->SubjectID >= 0 && RepairsAllowed()) {
    g->SubjectID = -1;
    Changed();
  }
}

void TLessonsManager::FillTeacherCombo() {
  TLessonSubItem* g = Group();
  teacherCombo_->setCurrentIndex(-1);
  teacherModel_->Clear();
  for (const auto& t : teachers_) teacherModel_->Add(ToQt(t->DisplayName()), t->ID());
  if (!SelectObject(teacherCombo_, teacherModel_, g->TeacherID) && g->TeacherID >= 0 && RepairsAllowed()) {
    g->TeacherID = -1;
    Changed();
  }
}

void TLessonsManager::RepairReferences() {
  if (!Item()) return;
  FillKlassCombo();
  if (Group()) {
    FillSubjectCombo();
    FillTeacherCombo();
  }
}

// ---- editing -----------------------------------------------------------------------

bool TLessonsManager::StoreGroupsCount(const std::string& text) {
  if (text.empty()) return false;
  TLessonItem* l = Item();
  const int n = *ParseNumberField(text, 1, kMaxLessonGroups);
  const bool changed = n != l->SubItemsCount();
  if (changed) {
    // The old groups go, and with them every link to this lesson.
    DropLinksTo(lessons_, l->ID());
    l->SetSubItemsCount(n);
    DistributePupils(*l, KlassPupils(l->KlassID));
  }
  UpdatingScope u(*this);
  const QString shown = QString::number(n);
  if (groupsEdit_->text() != shown) groupsEdit_->setText(shown);
  if (changed) {
    group_ = 0;
    SetTabCount(n);
    ShowGroup();
  }
  return changed;
}

bool TLessonsManager::StoreQuants(const std::string& text) {
  if (text.empty()) return false;  // an emptied field keeps the layout
  TLessonItem* l = Item();
  const auto blocks = ParseQuants(text, std::max(0, kQuantWords - 1 - l->SepQuantsCount()));
  for (int i = 1, n = l->QuantsCount(); i <= n; ++i) l->SetQuant(i, 0);
  for (int length : *blocks) l->ChangeQuant(+1, length);
  return true;
}

TMouseState TLessonsManager::SlotState(int slot) const {
  return Item()->GetBusy(slot) != 0 ? BusyState : FreeState;
}

void TLessonsManager::SetSlotState(int slot, TMouseState state) {
  Item()->SetBusy(slot, state == BusyState ? 1 : 0);
}

void TLessonsManager::ClearGrpClick() {
  TLessonSubItem* g = Group();
  if (!g) return;
  g->TeacherID = -1;
  g->SubjectID = -1;
  g->SetFictionName({});
  {
    UpdatingScope u(*this);
    subjectCombo_->setCurrentIndex(-1);
    teacherCombo_->setCurrentIndex(-1);
    fictionEdit_->clear();
  }
  Changed();
}

void TLessonsManager::LinkClick() {
  if (!Group()) return;
  TLinkDlg dlg(this, this);
  RunLinkDialog(dlg);
}

void TLessonsManager::FindRecordClick() {
  if (!Item()) return;
  TLessonFindDlg dlg(this, this);
  RunFindDialog(dlg);
}

void TLessonsManager::SepQuantsClick() {
  if (!Item()) return;
  TSepQuantsDlg dlg(this, *Item());
  if (RunSepQuantsDialog(dlg) == mrOk) Changed();
  ColourLayout();
}

bool TLessonsManager::eventFilter(QObject* watched, QEvent* e) {
  if (watched == quantEdit_ && e->type() == QEvent::MouseButtonDblClick && quantEdit_->isEnabled()) {
    SepQuantsClick();
    return true;
  }
  return TListEditor::eventFilter(watched, e);
}

void TLessonsManager::CheckData(IDataReport* report, const CheckPump& pump) {
  CheckLessons(lessons_, klasses_, subjects_, teachers_, Params().LessonsPerDay, report, pump);
}

// ---- the dialogs' lists -----------------------------------------------------------

MsgResult TLessonsManager::handleMessage(uint32_t msg, MsgParam w, MsgParam l) {
  auto* list = reinterpret_cast<const TLessonEntryList*>(w);
  switch (msg) {
    case kMsgLinksGet: return reinterpret_cast<MsgResult>(FillLinkList(reinterpret_cast<QTreeWidget*>(l)));
    case kMsgLinksSet:
      if (list) ApplyLinks(*list);
      return 0;
    case kMsgFindInit: return reinterpret_cast<MsgResult>(FillFindList(reinterpret_cast<QTreeWidget*>(l)));
    case kMsgFindShow:
      if (list) GoToRow(*list, static_cast<int>(l));
      return 0;
    case kMsgFindCopy:
      if (list) CopyRow(*list, static_cast<int>(l));
      return 0;
    default: return TListEditor::handleMessage(msg, w, l);
  }
}

std::vector<int32_t> TLessonsManager::KlassOrder() const {
  // The klass box's order: by name, equal names in list order.
  std::vector<std::pair<QString, int32_t>> named;
  for (const auto& k : klasses_) named.emplace_back(ToQt(k->DisplayName()), k->ID());
  std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
    return RussianCollator().compare(a.first, b.first) < 0;
  });
  std::vector<int32_t> ids;
  for (const auto& n : named) ids.push_back(n.second);
  return ids;
}

QString TLessonsManager::KlassText(int32_t id) const {
  const TKlassItem* k = id >= 0 ? klasses_.FindItemID(id) : nullptr;
  return k ? ToQt(k->DisplayName()) : ResQ(kMsgUnknownKlass);
}

QString TLessonsManager::SubjectText(int32_t id) const {
  if (id < 0) return QStringLiteral("------");
  const TSubjectItem* s = subjects_.FindItemID(id);
  return s ? ToQt(s->DisplayName()) : ResQ(kMsgUnknownSubject);
}

QString TLessonsManager::TeacherText(int32_t id) const {
  if (id < 0) return QStringLiteral("------");
  const TTeacherItem* t = teachers_.FindItemID(id);
  return t ? ToQt(t->DisplayName()) : ResQ(kMsgUnknownTeacher);
}

TLessonEntryList* TLessonsManager::FillLinkList(QTreeWidget* view) {
  WaitCursor wait;
  auto list = std::make_unique<TLessonEntryList>();
  if (view) view->clear();
  const TLessonItem* cur = Item();
  const TLessonSubItem* mine = Group();
  // A group without a teacher has nobody to share an hour with.
  if (!cur || !mine || mine->TeacherID < 0) return list.release();
  QTreeWidgetItem* firstLinked = nullptr;
  for (const TLessonPlace& place : LessonsInKlassOrder(lessons_, KlassOrder())) {
    const TLessonItem* other = lessons_.GetItem(place.Index);
    if (other->KlassID == cur->KlassID) continue;
    int g = 0;
    while (g < other->SubItemsCount() && other->GetSubItem(g)->TeacherID != mine->TeacherID) ++g;
    if (g == other->SubItemsCount()) continue;
    const TLessonSubItem& group = *other->GetSubItem(g);
    const bool linked = HoldsLink(*mine, {other->ID(), g});
    list->Entries.push_back({other->ID(), g, static_cast<uint8_t>(linked ? 1 : 0)});
    if (!view) continue;
    auto* item = new QTreeWidgetItem(view, {KlassText(other->KlassID), NumberText(place.Number, g, other->SubItemsCount()),
                                            SubjectText(group.SubjectID), TeacherText(group.TeacherID),
                                            YesNoText(linked)});
    if (linked && !firstLinked) firstLinked = item;
  }
  if (firstLinked) view->setCurrentItem(firstLinked);
  return list.release();
}

void TLessonsManager::ApplyLinks(const TLessonEntryList& list) {
  TLessonItem* cur = Item();
  if (!cur || !Group()) return;
  // The group keeps exactly the links ticked in the list: a link the list no
  // longer shows (its teacher changed since) would otherwise stay for good,
  // since no list could show it to be unticked. Each link goes and comes on
  // both sides.
  std::vector<TLessonLink> held;
  for (int k = 1; k <= Group()->LinksCount(); ++k) held.push_back(Group()->GetLink(k));
  for (const TLessonLink& link : held) RemoveLinkPair(lessons_, *cur, group_, link);
  std::vector<QString> refused;
  for (const TLessonEntry& e : list.Entries) {
    if (e.LessonRef < 0) break;
    if (e.LessonRef == cur->ID() || e.Linked != 1) continue;
    if (!AddLinkPair(lessons_, *cur, group_, {e.LessonRef, e.GroupIndex})) {
      const TLessonItem* other = lessons_.FindItemID(e.LessonRef);
      const TLessonSubItem* g = other ? other->GetSubItem(e.GroupIndex) : nullptr;
      if (other && g) refused.push_back(KlassText(other->KlassID) + QStringLiteral(", ") + SubjectText(g->SubjectID));
    }
  }
  ColourLinkBtn();
  Changed();
  // A tick that could not be applied is not dropped without a word.
  if (!refused.empty()) {
    QString text = QString::fromUtf8("Не удалось связать с подгруппой ");
    for (std::size_t i = 0; i < refused.size(); ++i)
      text += (i ? QStringLiteral("; ") : QString()) + refused[i];
    text += QString::fromUtf8(": у подгруппы может быть не более %1 связок.").arg(kMaxGroupLinks);
    ShowErrMsgText(OwnerOf(this), FromQt(text), kBoxOk);
  }
}

TLessonEntryList* TLessonsManager::FillFindList(QTreeWidget* view) {
  WaitCursor wait;
  auto list = std::make_unique<TLessonEntryList>();
  if (view) view->clear();
  QTreeWidgetItem* selected = nullptr;
  for (const TLessonPlace& place : LessonsInKlassOrder(lessons_, KlassOrder())) {
    const TLessonItem* l = lessons_.GetItem(place.Index);
    const int n = l->SubItemsCount();
    for (int g = 0; g < n; ++g) {
      const TLessonSubItem& group = *l->GetSubItem(g);
      const bool linked = group.LinksCount() > 0;
      list->Entries.push_back({place.Index, g, static_cast<uint8_t>(linked ? 1 : 0)});
      if (!view) continue;
      QString hours = QString::number(l->QuantsSum());
      if (l->SepQuantsCount() > 0) hours += QStringLiteral(" *");
      auto* item = new QTreeWidgetItem(view, {KlassText(l->KlassID), NumberText(place.Number, g, n),
                                              SubjectText(group.SubjectID), hours, TeacherText(group.TeacherID),
                                              YesNoText(linked)});
      if (place.Index == Current() && g == group_) selected = item;
    }
  }
  if (selected) view->setCurrentItem(selected);
  return list.release();
}

void TLessonsManager::GoToRow(const TLessonEntryList& list, int row) {
  if (row < 0 || row >= static_cast<int>(list.Entries.size())) return;
  const TLessonEntry& e = list.Entries[static_cast<std::size_t>(row)];
  if (e.LessonRef < 0 || e.LessonRef >= Count()) return;
  ShowRecord(e.LessonRef);
  if (Item()->GetSubItem(e.GroupIndex)) {
    group_ = e.GroupIndex;
    UpdatingScope u(*this);
    ShowGroup();
  }
}

void TLessonsManager::CopyRow(const TLessonEntryList& list, int row) {
  if (row < 0 || row >= static_cast<int>(list.Entries.size())) return;
  const TLessonEntry& e = list.Entries[static_cast<std::size_t>(row)];
  const TLessonItem* src = lessons_.GetItem(e.LessonRef);
  if (!src) return;
  TLessonItem* copy = lessons_.Add();
  copy->Assign(*src);
  copy->KlassID = -1;  // the user picks the copy's klass
  // The copy is taught with the same groups as the original was.
  MirrorLinksOf(lessons_, *copy);
  ShowRecord(Count() - 1);
  if (copy->GetSubItem(e.GroupIndex)) {
    group_ = e.GroupIndex;
    UpdatingScope u(*this);
    ShowGroup();
  }
  Changed();
}

}  // namespace korvant
