#include "refdesk/sdi_app_form.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>

#include "refdesk/controls/his_combo_box.h"
#include "refdesk/message.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"
#include "refdesk/qt_text.h"

namespace refdesk {
namespace {

using controls::THisComboBox;

inline constexpr QPoint kFormPosition{229, 107};
inline constexpr int kStatusBarHeight = 21;
inline constexpr int kHistoryMax = 10;
inline constexpr int kVisibleEntries = 8;
// Small enough for every caption to fit the control sizes of the design.
inline constexpr int kFontPixels = 12;

QString StatusTip(std::string_view hint) { return ToQt(LongHint(hint)); }

}  // namespace

TSDIAppForm::TSDIAppForm(const FormServices& services, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(services.dialogs),
      shell_(services.shell),
      program_path_(services.program_path),
      program_folder_(refdesk::ProgramFolder(services.program_path)),
      converter_(*this, services.dialogs, services.shell, services.runner) {
  setWindowTitle(ToQt(msg::kAppTitle));
  QFont small = font();
  small.setPixelSize(kFontPixels);
  setFont(small);
  setCentralWidget(new QWidget(this));
  BuildUpperGroup();
  BuildLowerGroup();
  BuildMenu();
  statusBar()->setFixedHeight(kStatusBarHeight);
  move(kFormPosition);
  setMinimumWidth(kFormWidth);
  resize(kFormWidth, kFormHeight);
  SetHeightFixed(kFormHeight);
  FormCreate();
}

TSDIAppForm::~TSDIAppForm() {
  // Destroying the controls moves the focus; by then this is no longer a
  // TSDIAppForm to tell.
  disconnect(qApp, &QApplication::focusChanged, this, &TSDIAppForm::FocusMoved);
  if (!settings_saved_) FormDestroy();
}

template <typename Widget>
Widget* TSDIAppForm::Place(Widget* widget, const char* name, QRect design, Anchor anchor) {
  widget->setObjectName(QString::fromLatin1(name));
  if (design.isEmpty()) {
    // Labels are placed by their corner only and take the size of their text.
    widget->adjustSize();
    design.setSize(widget->size());
  }
  widget->setGeometry(design);
  placed_.push_back(Placed{widget, design, anchor});
  return widget;
}

THisComboBox* TSDIAppForm::PlaceHistoryField(QWidget* parent, const char* name, QRect design) {
  auto* field = Place(new THisComboBox(parent), name, design, Anchor::kStretchRight);
  field->SetHistoryMax(kHistoryMax);
  field->setMaxVisibleItems(kVisibleEntries);
  field->SetProgramPath(program_path_);
  field->SetWriteFailedHandler(
      [this](const std::string& path) { dialogs_.Show(MakeMessage(msg::kCannotWrite, path)); });
  // Files dropped on a field go to its group, which decides where they land.
  field->setAcceptDrops(false);
  field->lineEdit()->setAcceptDrops(false);
  field->LoadHistory();
  connect(field, &THisComboBox::DropDown, this, [this, field] { HCDropDown(field); });
  // Picking an entry from the list shows it as the tip; typing does not.
  connect(field, &QComboBox::activated, this, [this, field] { ShowTextAsTip(field); });
  return field;
}

void TSDIAppForm::BuildUpperGroup() {
  QWidget* client = centralWidget();
  GroupBox1 = Place(new QGroupBox(ToQt(msg::kGroupBox1), client), "GroupBox1",
                    QRect(8, 8, 527, 193), Anchor::kStretchRight);
  QGroupBox* g = GroupBox1;
  Label1 = Place(new QLabel(ToQt(msg::kSourceFileLabel), g), "Label1", QRect(16, 24, 0, 0),
                 Anchor::kLeftTop);
  Button7 = Place(new QPushButton(ToQt(msg::kOpenSourceButton), g), "Button7",
                  QRect(374, 16, 145, 25), Anchor::kMoveRight);
  HisComboBox1 = PlaceHistoryField(g, "HisComboBox1", QRect(16, 48, 427, 26));
  Button1 = Place(new QPushButton(ToQt(msg::kBrowseButton), g), "Button1", QRect(454, 48, 65, 25),
                  Anchor::kMoveRight);
  Label2 = Place(new QLabel(ToQt(msg::kDestinationFileLabel), g), "Label2", QRect(16, 88, 0, 0),
                 Anchor::kLeftTop);
  CheckBox1 = Place(new QCheckBox(ToQt(msg::kSameFolderCheck), g), "CheckBox1",
                    QRect(160, 88, 281, 25), Anchor::kLeftTop);
  HisComboBox2 = PlaceHistoryField(g, "HisComboBox2", QRect(16, 112, 427, 26));
  Button2 = Place(new QPushButton(ToQt(msg::kBrowseButton), g), "Button2", QRect(454, 112, 65, 25),
                  Anchor::kMoveRight);
  CheckBox2 = Place(new QCheckBox(ToQt(msg::kDirectCheck), g), "CheckBox2", QRect(16, 160, 137, 25),
                    Anchor::kLeftTop);
  CheckBox3 = Place(new QCheckBox(ToQt(msg::kOverwriteCheck), g), "CheckBox3",
                    QRect(160, 160, 137, 25), Anchor::kLeftTop);
  Button3 = Place(new QPushButton(ToQt(msg::kConvertButton), g), "Button3",
                  QRect(414, 152, 105, 33), Anchor::kMoveRight);

  connect(Button7, &QPushButton::clicked, this, &TSDIAppForm::Button7Click);
  connect(Button1, &QPushButton::clicked, this, &TSDIAppForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TSDIAppForm::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TSDIAppForm::Button3Click);
  connect(CheckBox1, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox1Click);
  connect(CheckBox2, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox2Click);
}

void TSDIAppForm::BuildLowerGroup() {
  QWidget* client = centralWidget();
  GroupBox2 = Place(new QGroupBox(ToQt(msg::kGroupBox2), client), "GroupBox2",
                    QRect(8, 212, 527, 227), Anchor::kStretchRightMoveDown);
  QGroupBox* g = GroupBox2;
  Label3 = Place(new QLabel(ToQt(msg::kSourceFileLabel), g), "Label3", QRect(16, 24, 0, 0),
                 Anchor::kLeftTop);
  CheckBox4 = Place(new QCheckBox(ToQt(msg::kUseConvertedCheck), g), "CheckBox4",
                    QRect(192, 24, 241, 25), Anchor::kLeftTop);
  HisComboBox3 = PlaceHistoryField(g, "HisComboBox3", QRect(16, 48, 427, 26));
  Button4 = Place(new QPushButton(ToQt(msg::kBrowseButton), g), "Button4", QRect(454, 48, 65, 25),
                  Anchor::kMoveRight);
  Label4 = Place(new QLabel(ToQt(msg::kDestinationFileLabel), g), "Label4", QRect(16, 88, 0, 0),
                 Anchor::kLeftTop);
  CheckBox5 = Place(new QCheckBox(ToQt(msg::kSameFolderCheck), g), "CheckBox5",
                    QRect(160, 88, 281, 25), Anchor::kLeftTop);
  HisComboBox4 = PlaceHistoryField(g, "HisComboBox4", QRect(16, 112, 427, 26));
  Button5 = Place(new QPushButton(ToQt(msg::kBrowseButton), g), "Button5", QRect(454, 112, 65, 25),
                  Anchor::kMoveRight);
  Label5 = Place(new QLabel(ToQt(msg::kStyleLabel), g), "Label5", QRect(10, 152, 0, 0),
                 Anchor::kLeftTop);
  ComboBox1 = Place(new QComboBox(g), "ComboBox1", QRect(88, 152, 169, 26), Anchor::kLeftTop);
  CheckBox9 = Place(new QCheckBox(ToQt(msg::kErrorLogCheck), g), "CheckBox9",
                    QRect(272, 152, 105, 25), Anchor::kLeftTop);
  CheckBox7 = Place(new QCheckBox(ToQt(msg::kOpenAfterCheck), g), "CheckBox7",
                    QRect(394, 152, 117, 25), Anchor::kLeftTop);
  Label6 = Place(new QLabel(ToQt(msg::kFileFormatLabel), g), "Label6", QRect(8, 192, 0, 0),
                 Anchor::kLeftTop);
  ComboBox2 = Place(new QComboBox(g), "ComboBox2", QRect(120, 192, 137, 26), Anchor::kLeftTop);
  ComboBox2->setEditable(true);
  ComboBox2->setInsertPolicy(QComboBox::NoInsert);
  CheckBox6 = Place(new QCheckBox(ToQt(msg::kOverwriteCheck), g), "CheckBox6",
                    QRect(272, 184, 137, 25), Anchor::kLeftTop);
  Button6 = Place(new QPushButton(ToQt(msg::kConvertButton), g), "Button6",
                  QRect(414, 184, 105, 33), Anchor::kMoveRight);

  connect(Button4, &QPushButton::clicked, this, &TSDIAppForm::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TSDIAppForm::Button5Click);
  connect(Button6, &QPushButton::clicked, this, &TSDIAppForm::Button6Click);
  connect(CheckBox4, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox4Click);
  connect(CheckBox5, &QCheckBox::clicked, this, &TSDIAppForm::CheckBox5Click);
}

void TSDIAppForm::BuildMenu() {
  const auto add_action = [this](QMenu* menu, std::string_view text, std::string_view hint,
                                 const char* name) {
    QAction* action = menu->addAction(ToQt(text));
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.empty()) action->setStatusTip(StatusTip(hint));
    return action;
  };
  QMenu* file = menuBar()->addMenu(ToQt(msg::kFileMenu));
  file->menuAction()->setStatusTip(StatusTip(msg::kFileMenuHint));
  FileExit1 = add_action(file, msg::kExitItem, msg::kExitHint, "FileExit1");
  QMenu* view = menuBar()->addMenu(ToQt(msg::kViewMenu));
  DisplayXlsConv = add_action(view, msg::kToggleUpperItem, "", "DisplayXlsConv");
  QMenu* help = menuBar()->addMenu(ToQt(msg::kHelpMenu));
  help->menuAction()->setStatusTip(StatusTip(msg::kHelpMenuHint));
  HelpContents1 = add_action(help, msg::kContentsItem, msg::kContentsHint, "HelpContents1");
  Action1 = add_action(help, msg::kHomePageItem, "", "Action1");
  HelpAbout1 = add_action(help, msg::kAboutItem, msg::kAboutHint, "HelpAbout1");

  connect(FileExit1, &QAction::triggered, this, &TSDIAppForm::FileExit1Execute);
  connect(DisplayXlsConv, &QAction::triggered, this, &TSDIAppForm::DisplayXlsConvExecute);
  connect(HelpContents1, &QAction::triggered, this, &TSDIAppForm::HelpContents1Execute);
  connect(Action1, &QAction::triggered, this, &TSDIAppForm::Action1Execute);
  connect(HelpAbout1, &QAction::triggered, this, &TSDIAppForm::HelpAbout1Execute);
}

void TSDIAppForm::FormCreate() {
  GroupBox1->installEventFilter(this);
  GroupBox2->installEventFilter(this);
  const std::vector<std::string> styles = ListStyleNames(program_folder_);
  for (const std::string& name : styles) {
    ComboBox1->addItem(ToQt(name));
    ComboBox1->setItemData(ComboBox1->count() - 1,
                           ToQt(StyleDescription(StylePath(program_folder_, name))),
                           Qt::ToolTipRole);
  }
  const std::vector<std::string> file_types = ListFileTypeNames(program_folder_);
  for (const std::string& name : file_types) ComboBox2->addItem(ToQt(name));
  for (THisComboBox* field : {HisComboBox1, HisComboBox2, HisComboBox3, HisComboBox4}) {
    field->setEditText(field->count() > 0 ? field->itemText(0) : QString());
    ShowTextAsTip(field);
  }
  const FormSettings settings = LoadFormSettings(program_folder_);
  ApplySettings(settings, styles, file_types);
  CheckBox1Click();
  CheckBox4Click();
  CheckBox5Click();
  CheckBox2Click();
  if (!settings.tabdump_visible) DisplayXlsConvExecute();
  GroupBox1->setAcceptDrops(true);
  GroupBox2->setAcceptDrops(true);
  // A field greyed out by its "same folder" box shows the name a run would
  // write, so it follows everything that name comes from.
  for (THisComboBox* field : {HisComboBox1, HisComboBox2, HisComboBox3}) {
    connect(field, &QComboBox::editTextChanged, this, &TSDIAppForm::ShowDerivedNames);
  }
  for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox4, CheckBox5}) {
    connect(box, &QCheckBox::toggled, this, &TSDIAppForm::ShowDerivedNames);
  }
  connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TSDIAppForm::ShowDerivedNames);
  connect(qApp, &QApplication::focusChanged, this, &TSDIAppForm::FocusMoved);
  ShowDerivedNames();
}

void TSDIAppForm::ShowDerivedNames() {
  const FormSnapshot form = Read();
  const auto show = [this](THisComboBox* field, const std::string& name) {
    if (FromQt(field->currentText()) == name) return;
    field->setEditText(ToQt(name));
    ShowTextAsTip(field);
  };
  // The table first: with CheckBox4 the list is named after it.
  if (form.same_name1) show(HisComboBox2, TableDestination(form));
  if (!form.same_name3) return;
  const std::optional<std::string> extension =
      OutputExtension(FileTypePath(program_folder_, form.file_type_name));
  if (extension) show(HisComboBox4, BibliographyDestination(Read(), *extension));
}

void TSDIAppForm::ApplySettings(const FormSettings& s, const std::vector<std::string>& styles,
                                const std::vector<std::string>& file_types) {
  CheckBox1->setChecked(s.same_name1);
  CheckBox2->setChecked(s.direct);
  CheckBox3->setChecked(s.overwrite1);
  CheckBox4->setChecked(s.same_name2);
  CheckBox5->setChecked(s.same_name3);
  CheckBox6->setChecked(s.overwrite2);
  CheckBox7->setChecked(s.after_open);
  CheckBox9->setChecked(s.error_log);
  ComboBox1->setCurrentIndex(SelectionFor(s.format, s.format_name, styles));
  ComboBox2->setCurrentIndex(SelectionFor(s.file_type, s.file_type_name, file_types));
}

FormSettings TSDIAppForm::CurrentSettings() const {
  FormSettings s;
  s.same_name1 = CheckBox1->isChecked();
  s.direct = CheckBox2->isChecked();
  s.overwrite1 = CheckBox3->isChecked();
  s.same_name2 = CheckBox4->isChecked();
  s.same_name3 = CheckBox5->isChecked();
  s.overwrite2 = CheckBox6->isChecked();
  s.after_open = CheckBox7->isChecked();
  s.error_log = CheckBox9->isChecked();
  s.tabdump_visible = !GroupBox1->isHidden();
  s.format = ComboBox1->currentIndex();
  s.file_type = ComboBox2->currentIndex();
  s.format_name = FromQt(SelectedName(ComboBox1));
  s.file_type_name = FromQt(SelectedName(ComboBox2));
  return s;
}

void TSDIAppForm::FormDestroy() {
  settings_saved_ = true;
  if (!SaveFormSettings(program_folder_, CurrentSettings())) {
    dialogs_.Show(MakeMessage(msg::kCannotWrite, SettingsFilePath(program_folder_)));
  }
  GroupBox1->setAcceptDrops(false);
  GroupBox2->setAcceptDrops(false);
}

void TSDIAppForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  ApplyAnchors();
}

void TSDIAppForm::ApplyAnchors() {
  const int grown = width() - kFormWidth;
  const int lost = kFormHeight - height();
  for (const Placed& p : placed_) {
    QRect r = p.design;
    switch (p.anchor) {
      case Anchor::kLeftTop:
        break;
      case Anchor::kStretchRight:
        r.setWidth(r.width() + grown);
        break;
      case Anchor::kMoveRight:
        r.moveLeft(r.left() + grown);
        break;
      case Anchor::kStretchRightMoveDown:
        r.setWidth(r.width() + grown);
        r.moveTop(r.top() - lost);
        break;
    }
    p.widget->setGeometry(r);
  }
}

void TSDIAppForm::SetHeightFixed(int height) {
  setMinimumHeight(height);
  setMaximumHeight(height);
  resize(width(), height);
  // A hidden window gets its resize event only when shown; the controls must
  // be in place before that, for the flows and for a grab of the window.
  ApplyAnchors();
}

void TSDIAppForm::DisplayXlsConvExecute() {
  const int h = height();
  const int g = GroupBox1->height();
  if (!GroupBox1->isHidden()) {
    GroupBox1->hide();
    SetHeightFixed(h - g);
    CheckBox2->setChecked(false);
    CheckBox2Click();
    CheckBox4->setChecked(false);
    CheckBox4Click();
    CheckBox4->setEnabled(false);
  } else {
    SetHeightFixed(h + g);
    GroupBox1->show();
    CheckBox4->setEnabled(true);
  }
}

}  // namespace refdesk
