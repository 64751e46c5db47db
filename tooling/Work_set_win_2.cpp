#include "tooling/Work_set_win_2.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>

#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/color_panel.h"
#include "simulation/work_cells.h"
#include "tooling/select_color_1.h"
#include "simulation/work_file.h"
#include "tooling/select_work_size_1.h"

namespace {

QString q(const char* cp932) { return plat::to_qstring(cp932); }

constexpr const char* kEditNames[WSE_COUNT] = {
    "ED_minX",  "ED_minY",  "ED_minZ",  "ED_maxX",  "ED_maxY",       "ED_maxZ",
    "ED_centerX", "ED_centerY", "ED_sizeX", "ED_sizeY", "ED_sizeZ",  "ED_matX",
    "ED_matY",  "ED_WORK_COLOR", "ED_WORK_MEMO", "ed_mat_offsetZ", "ED_MAT_COLOR"};

constexpr const char* kWokFilter = "VLM WORK files (*.wok *.WOK)";

constexpr const char* kHelp =
    "・数値は入力後 Enter かほかの欄へ移ると設定されます。\n"
    "・↑↓キーで入力欄を移動します。\n"
    "・計測モードでは Ctrl + 矢印キーで格子カーソルが動きます。\n"
    "・冶具、グループ化したワーク、加工後のワークはサイズや格子数を変更できません。";


int code_of(const QLineEdit* e) {
  bool ok = false;
  const int v = e->text().toInt(&ok);
  return ok && v >= 0 && v <= 63 ? v : 0;
}

}  // namespace

// ---- dialogs on screen -----------------------------------------------------------------------

bool TWork_set_qt_dialogs::choose_preset(const std::filesystem::path& file,
                                         const TWork_path_extents& ext, TWork_preset& out) {
  Tselect_work_size dlg(file, ext, parent_);
  if (dlg.exec() != QDialog::Accepted) return false;
  out = dlg.chosen();
  return true;
}

bool TWork_set_qt_dialogs::choose_work_file(bool save, const std::string& title,
                                            const std::string& file_name,
                                            std::filesystem::path& out) {
  QFileDialog dlg(parent_, q(title.c_str()));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setDirectory(plat::path_to_qstring(std::filesystem::current_path()));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg.setDefaultSuffix(QStringLiteral("wok"));
  dlg.setNameFilters({q(kWokFilter), QStringLiteral("*")});
  if (!file_name.empty()) dlg.selectFile(plat::to_qstring(file_name));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  out = plat::qstring_to_path(dlg.selectedFiles().front());
  return true;
}


// ---- the window ------------------------------------------------------------------------------

TWorkSetWin::TWorkSetWin(Ttooling_host& host, Twork_set_dialogs* dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      host_(host),
      own_dialogs_(dialogs ? nullptr : std::make_unique<TWork_set_qt_dialogs>(this)),
      dialogs_(dialogs ? *dialogs : *own_dialogs_),
      rules_(host.work_store(), host.disp_status()) {
  setObjectName(QStringLiteral("WorkSetWin"));
  setWindowTitle(q("ワークの設定＆操作"));
  build();
}

TWorkSetWin::~TWorkSetWin() = default;

void TWorkSetWin::build() {
  auto* top = new QVBoxLayout(this);
  // Work and group.
  auto* sel = new QHBoxLayout;
  Combo_work_num = new QComboBox(this);
  Combo_work_num->setObjectName(QStringLiteral("Combo_work_num"));
  Combo_work_num->setMinimumWidth(130);
  auto* up1 = new QToolButton(this);
  up1->setObjectName(QStringLiteral("UpDown1_up"));
  up1->setArrowType(Qt::UpArrow);
  auto* down1 = new QToolButton(this);
  down1->setObjectName(QStringLiteral("UpDown1_down"));
  down1->setArrowType(Qt::DownArrow);
  Combo_Group_num = new QComboBox(this);
  Combo_Group_num->setObjectName(QStringLiteral("Combo_Group_num"));
  Combo_Group_num->setMinimumWidth(90);
  auto* b5 = new QPushButton(q("← このワークを新規グループに設定"), this);
  b5->setObjectName(QStringLiteral("BTN_05_NEW_GROUP"));
  sel->addWidget(new QLabel(q("ワーク番号"), this));
  sel->addWidget(Combo_work_num);
  sel->addWidget(up1);
  sel->addWidget(down1);
  sel->addSpacing(12);
  sel->addWidget(new QLabel(q("グループ"), this));
  sel->addWidget(Combo_Group_num);
  sel->addWidget(b5);
  sel->addStretch(1);
  top->addLayout(sel);

  for (int t = 0; t < WSE_COUNT; ++t) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(kEditNames[t]));
    e->setProperty("Tag", t);
    e->setMinimumWidth(80);
    e->installEventFilter(this);
    connect(e, &QLineEdit::editingFinished, this, [this, t] { ED_minXExit(t); });
    ed_[t] = e;
  }
  ED_pitchX = new QLineEdit(this);
  ED_pitchX->setObjectName(QStringLiteral("ED_pitchX"));
  ED_pitchY = new QLineEdit(this);
  ED_pitchY->setObjectName(QStringLiteral("ED_pitchY"));
  ED_KEISOKU_VIEW = new QLineEdit(this);
  ED_KEISOKU_VIEW->setObjectName(QStringLiteral("ED_KEISOKU_VIEW"));
  for (QLineEdit* e : {ED_pitchX, ED_pitchY, ED_KEISOKU_VIEW}) e->setReadOnly(true);

  // Bounds, sizes and lattice.
  auto* mid = new QHBoxLayout;
  auto* grid = new QGridLayout;
  const char* heads[3] = {"X", "Y", "Z"};
  for (int c = 0; c < 3; ++c)
    grid->addWidget(new QLabel(q(heads[c]), this), 0, c + 1, Qt::AlignCenter);
  const char* rows[6] = {"最小", "最大", "中心", "サイズ", "格子数", "ピッチ"};
  for (int r = 0; r < 6; ++r) grid->addWidget(new QLabel(q(rows[r]), this), r + 1, 0);
  for (int c = 0; c < 3; ++c) {
    grid->addWidget(ed_[WSE_minX + c], 1, c + 1);
    grid->addWidget(ed_[WSE_maxX + c], 2, c + 1);
    grid->addWidget(ed_[WSE_sizeX + c], 4, c + 1);
  }
  grid->addWidget(ed_[WSE_centerX], 3, 1);
  grid->addWidget(ed_[WSE_centerY], 3, 2);
  grid->addWidget(ed_[WSE_matX], 5, 1);
  grid->addWidget(ed_[WSE_matY], 5, 2);
  grid->addWidget(ED_pitchX, 6, 1);
  grid->addWidget(ED_pitchY, 6, 2);
  grid->addWidget(new QLabel(q("色"), this), 7, 0);
  grid->addWidget(ed_[WSE_WORK_COLOR], 7, 1);
  PNL_WORK_COLOR = new QPushButton(this);
  PNL_WORK_COLOR->setObjectName(QStringLiteral("PNL_WORK_COLOR"));
  PNL_WORK_COLOR->setFixedSize(40, 22);
  grid->addWidget(PNL_WORK_COLOR, 7, 2);
  grid->addWidget(new QLabel(q("メモ"), this), 8, 0);
  grid->addWidget(ed_[WSE_WORK_MEMO], 8, 1, 1, 3);
  grid->setRowStretch(9, 1);  // the rows stay together at the top beside the taller switches
  mid->addLayout(grid, 3);

  // Kind, visibility and cutting.
  auto* kinds = new QVBoxLayout;
  auto radio_pair = [&](QRadioButton*& a, const char* na, const char* ca, int ta,
                        QRadioButton*& b, const char* nb, const char* cb, int tb) {
    auto* box = new QGroupBox(this);
    auto* l = new QHBoxLayout(box);
    a = new QRadioButton(q(ca), box);
    a->setObjectName(QString::fromLatin1(na));
    b = new QRadioButton(q(cb), box);
    b->setObjectName(QString::fromLatin1(nb));
    l->addWidget(a);
    l->addWidget(b);
    auto* g = new QButtonGroup(box);
    g->addButton(a);
    g->addButton(b);
    connect(a, &QRadioButton::clicked, this, [this, ta] { chk_CUTTING_ONClick(ta); });
    connect(b, &QRadioButton::clicked, this, [this, tb] { chk_CUTTING_ONClick(tb); });
    kinds->addWidget(box);
  };
  radio_pair(chk_WORK_IS, "chk_WORK_IS", "ワーク", 1, chk_ZIGU_IS, "chk_ZIGU_IS", "冶具", 2);
  radio_pair(chk_VIS_parts, "chk_VIS_parts", "表示", 3, chk_INVIS_parts, "chk_INVIS_parts",
             "不表示", 4);
  radio_pair(chk_CUTTING_ON, "chk_CUTTING_ON", "加工対象に含める", 5, chk_CUTTING_OFF,
             "chk_CUTTING_OFF", "加工対象から外す", 6);
  auto check = [&](QCheckBox*& c, const char* name, const char* caption, int tag) {
    c = new QCheckBox(q(caption), this);
    c->setObjectName(QString::fromLatin1(name));
    connect(c, &QCheckBox::clicked, this, [this, tag] { chk_CUTTING_ONClick(tag); });
    kinds->addWidget(c);
  };
  check(chk_SeeTh_mode, "chk_SeeTh_mode", "半透明", 7);
  check(chk_MatrixLine, "chk_MatrixLine", "計測モード", 8);
  check(chk_HighDetail, "chk_HighDetail", "詳細表示", 9);
  check(chk_manual_cut_mode, "chk_manual_cut_mode", "工具を移動", 11);
  auto* off = new QHBoxLayout;
  off->addWidget(new QLabel(q("格子 off-Z"), this));
  off->addWidget(ed_[WSE_mat_offsetZ]);
  auto* up2 = new QToolButton(this);
  up2->setObjectName(QStringLiteral("UpDown2_up"));
  up2->setArrowType(Qt::UpArrow);
  auto* down2 = new QToolButton(this);
  down2->setObjectName(QStringLiteral("UpDown2_down"));
  down2->setArrowType(Qt::DownArrow);
  off->addWidget(up2);
  off->addWidget(down2);
  kinds->addLayout(off);
  auto* mc = new QHBoxLayout;
  mc->addWidget(new QLabel(q("格子の色→"), this));
  mc->addWidget(ed_[WSE_MAT_COLOR]);
  PNL_MAT_COLOR = new QPushButton(this);
  PNL_MAT_COLOR->setObjectName(QStringLiteral("PNL_MAT_COLOR"));
  PNL_MAT_COLOR->setFixedSize(40, 22);
  mc->addWidget(PNL_MAT_COLOR);
  kinds->addLayout(mc);
  kinds->addWidget(ED_KEISOKU_VIEW);
  kinds->addStretch(1);
  mid->addLayout(kinds, 2);
  top->addLayout(mid);

  // Buttons.
  auto* btns = new QGridLayout;
  auto button = [&](int tag, const char* name, const char* caption) {
    auto* b = new QPushButton(q(caption), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("Tag", tag);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, tag] { BTN_01_NEW_WORKClick(tag); });
    return b;
  };
  btns->addWidget(button(1, "BTN_01_NEW_WORK", "新規ワークを生成"), 0, 0);
  btns->addWidget(button(2, "BTN_02_LOAD_WORK", "ワークの追加読み込み"), 0, 1);
  btns->addWidget(button(3, "BTN_03_WORK_DELETE", "このワークを削除"), 1, 0);
  btns->addWidget(button(4, "BTN_04_ALL_DELETE", "全てのワークを削除"), 1, 1);
  BTN_06_RESET_WORK_PARAM = button(6, "BTN_06_RESET_WORK_PARAM", "ワークを未加工の状態に戻す");
  btns->addWidget(BTN_06_RESET_WORK_PARAM, 2, 0, 1, 2);
  auto* save = new QGroupBox(q(" ワークの保存関係  "), this);
  auto* sl = new QVBoxLayout(save);
  sl->addWidget(button(8, "BTN_08_SAVE_THIS_WORK", "このワークのみ保存"));
  sl->addWidget(button(9, "BTN_09_SAVE_THIS_GROUPS_WORK", "現在のグループ番号のみ保存"));
  sl->addWidget(button(10, "BTN_10_SAVE_ALL_WORKS", "全てのワークを保存する"));
  btns->addWidget(save, 0, 2, 3, 1);
  auto* memo = new QPlainTextEdit(q(kHelp), this);
  memo->setObjectName(QStringLiteral("Memo1"));
  memo->setReadOnly(true);
  memo->setFixedHeight(78);
  top->addLayout(btns);
  top->addWidget(memo);
  auto* close_row = new QHBoxLayout;
  close_row->addStretch(1);
  close_row->addWidget(button(7, "BTN_07_CLOSE_WIN", "閉じる"));
  top->addLayout(close_row);
  connect(b5, &QPushButton::clicked, this, [this] { BTN_01_NEW_WORKClick(5); });

  connect(up1, &QToolButton::clicked, this, [this] { UpDown1Click(1, false); });
  connect(down1, &QToolButton::clicked, this, [this] { UpDown1Click(1, true); });
  connect(up2, &QToolButton::clicked, this, [this] { UpDown1Click(2, true); });
  connect(down2, &QToolButton::clicked, this, [this] { UpDown1Click(2, false); });
  connect(Combo_work_num, &QComboBox::activated, this, [this] {
    Show_WORK_values(Get_current_WORK_num());
    Redraw_velmor_gpnl(Get_current_WORK_num());
  });
  connect(Combo_Group_num, &QComboBox::activated, this, [this] {
    const int w = Get_current_WORK_num();
    const int g = Get_current_GROUP_num();
    if (rules_.busy() || w < 0 || g < 0) return;
    CHANGE_GROUP_NUM(mat(), w, g);
    Set_WORK_combo(w);
    Redraw_velmor_gpnl(w);
  });
  connect(PNL_WORK_COLOR, &QPushButton::clicked, this, [this] { PNL_WORK_COLORClick(13); });
  connect(PNL_MAT_COLOR, &QPushButton::clicked, this, [this] { PNL_WORK_COLORClick(16); });
}

void TWorkSetWin::set_edit(int tag, const std::string& cp932) {
  ed_[tag]->setText(plat::to_qstring(cp932));
  remembered_[tag] = cp932;
}

int TWorkSetWin::Get_current_WORK_num() const {
  if (Combo_work_num->currentIndex() < 0) return -1;
  return Combo_work_num->currentData().toInt();
}

int TWorkSetWin::Get_current_GROUP_num() const {
  if (Combo_Group_num->currentIndex() < 0) return -1;
  return Combo_Group_num->currentData().toInt();
}

void TWorkSetWin::Set_WORK_combo(int work) {
  filling_ = true;
  Combo_Group_num->clear();
  for (const auto& [g, text] : group_combo_items(mat()))
    Combo_Group_num->addItem(plat::to_qstring(text), g);
  Combo_Group_num->setCurrentIndex(0);
  set_edit(WSE_WORK_COLOR, "1");
  Combo_work_num->clear();
  int pick = -1;
  for (const auto& [slot, text] : work_combo_items(mat())) {
    Combo_work_num->addItem(plat::to_qstring(text), slot);
    if (slot == work) pick = Combo_work_num->count() - 1;
  }
  if (Combo_work_num->count() > 0) Combo_work_num->setCurrentIndex(pick < 0 ? 0 : pick);
  filling_ = false;
  Show_WORK_values(Get_current_WORK_num());
}

void TWorkSetWin::show_colors() {
  paint_color_panel(PNL_WORK_COLOR, code_of(ed_[WSE_WORK_COLOR]));
  paint_color_panel(PNL_MAT_COLOR, code_of(ed_[WSE_MAT_COLOR]));
}

void TWorkSetWin::Show_WORK_values(int work) {
  const auto t = rules_.edit_texts(work);
  for (int i = 0; i < WSE_COUNT; ++i) set_edit(i, t[i]);
  const bool has = work >= 0 && work < WORK_MAX && mat().works[work].in_use;
  if (has) {
    const TWORK_DATA& w = mat().works[work];
    ED_pitchX->setText(plat::to_qstring(pitch_text(w.max.x - w.min.x, w.nx)));
    ED_pitchY->setText(plat::to_qstring(pitch_text(w.max.y - w.min.y, w.ny)));
    (w.jig ? chk_ZIGU_IS : chk_WORK_IS)->setChecked(true);
    (w.visible ? chk_VIS_parts : chk_INVIS_parts)->setChecked(true);
    (w.cutting ? chk_CUTTING_ON : chk_CUTTING_OFF)->setChecked(true);
    for (int i = 0; i < Combo_Group_num->count(); ++i)
      if (Combo_Group_num->itemData(i).toInt() == w.group) Combo_Group_num->setCurrentIndex(i);
  } else {
    ED_pitchX->setText(QStringLiteral("2"));
    ED_pitchY->setText(QStringLiteral("2"));
  }
  const bool sizes = rules_.size_edits_enabled(work);
  for (int tag : {WSE_sizeX, WSE_sizeY, WSE_sizeZ, WSE_matX, WSE_matY})
    ed_[tag]->setEnabled(has && (sizes || tag == WSE_sizeZ));
  BTN_06_RESET_WORK_PARAM->setEnabled(has && Check_WORK_after_Cutted(mat(), work));
  show_colors();
  last_shown_ = work;
}

void TWorkSetWin::Redraw_velmor_gpnl(int work) {
  Tmat& m = mat();
  if (work != -2) {
    for (TWORK_DATA& w : m.works) w.sel_mark = 0;
    if (work >= 0 && Check_WORK_num(m, work, "Redraw_velmor_gpnl")) {
      const Tdisp_status& d = disp();
      m.works[work].sel_mark = d.WSW_MANUAL_CUTMODE ? 4 : d.WSW_SEETH_MODE ? 2 : 1;
    }
  }
  host_.draw_data(24);
}

void TWorkSetWin::Reset_WORK_SET_fields() {
  chk_WORK_IS->setChecked(true);
  chk_VIS_parts->setChecked(true);
  chk_CUTTING_ON->setChecked(true);
  const Tdisp_status& d = disp();
  chk_SeeTh_mode->setChecked(d.WSW_SEETH_MODE);
  chk_HighDetail->setChecked(d.WSW_HighDetail);
  chk_MatrixLine->setChecked(d.WSW_MatrixLine);
  chk_manual_cut_mode->setChecked(d.WSW_MANUAL_CUTMODE);
  rules_.reset_offset_from_switches();
  const auto t = rules_.default_texts();
  for (int i = 0; i < WSE_COUNT; ++i) set_edit(i, t[i]);
  ED_pitchX->setText(QStringLiteral("2"));
  ED_pitchY->setText(QStringLiteral("2"));
  show_colors();
}

void TWorkSetWin::ED_minXExit(int tag) {
  if (filling_ || committing_ || rules_.busy()) return;
  bool lossless = true;
  const std::string text = plat::from_qstring(ed_[tag]->text(), &lossless);
  if (text == remembered_[tag]) return;
  const int work = Get_current_WORK_num();
  const bool window_switch = tag == WSE_mat_offsetZ || tag == WSE_MAT_COLOR;
  if (!window_switch && (work < 0 || Get_current_GROUP_num() < 0)) return;
  if (!lossless) {
    committing_ = true;
    plat::message_box("この文字は使えません", "数値エラー", plat::MB_OK | plat::MB_SYSTEMMODAL);
    committing_ = false;
    set_edit(tag, remembered_[tag]);
    return;
  }
  committing_ = true;
  const bool taken = rules_.commit(work, tag, text);
  committing_ = false;
  if (!taken) {
    set_edit(tag, remembered_[tag]);
    return;
  }
  remembered_[tag] = text;
  if (window_switch) {
    show_colors();
    Redraw_velmor_gpnl(work);
    return;
  }
  Set_WORK_combo(work);
  Redraw_velmor_gpnl(work);
}

void TWorkSetWin::UpDown1Click(int tag, bool up) {
  if (rules_.busy()) return;
  if (tag == 2) {
    const float v = rules_.offset_z() + (up ? 0.5f : -0.5f);
    ed_[WSE_mat_offsetZ]->setText(plat::to_qstring(Round3_to_text(v)));
    ED_minXExit(WSE_mat_offsetZ);
    return;
  }
  const int i = Combo_work_num->currentIndex() + (up ? 1 : -1);
  if (i < 0 || i >= Combo_work_num->count()) return;
  Combo_work_num->setCurrentIndex(i);
  Show_WORK_values(Get_current_WORK_num());
  Redraw_velmor_gpnl(Get_current_WORK_num());
}

void TWorkSetWin::chk_CUTTING_ONClick(int tag) {
  if (rules_.busy() || filling_) return;
  Tmat& m = mat();
  Tdisp_status& d = disp();
  const int w = Get_current_WORK_num();
  switch (tag) {
    case 7:
      d.WSW_SEETH_MODE = chk_SeeTh_mode->isChecked();
      Redraw_velmor_gpnl(w);
      return;
    case 8:
      d.WSW_MatrixLine = chk_MatrixLine->isChecked();
      Redraw_velmor_gpnl(w);
      return;
    case 9:
      d.WSW_HighDetail = d.SIM_HIGH_DETAIL = chk_HighDetail->isChecked();
      Show_WORK_values(w);
      return;
    case 11:
      d.WSW_MANUAL_CUTMODE = chk_manual_cut_mode->isChecked();
      rules_.reset_offset_from_switches();
      Show_WORK_values(w);
      Redraw_velmor_gpnl(w);
      return;
  }
  if (w < 0) return;
  bool ok = true;
  switch (tag) {
    case 1: ok = CHANGE_ZIGU_to_WORK_MODE(m, w); break;
    case 2:
      ok = m.works[w].jig || CHANGE_WORK_to_ZIGU_MODE(m, w);
      if (!ok) plat::message_box(m.last_error(), "数値エラー", plat::MB_OK | plat::MB_SYSTEMMODAL);
      break;
    case 3: ok = CHANGE_VIS_MODE(m, w, true); break;
    case 4: ok = CHANGE_VIS_MODE(m, w, false); break;
    case 5: ok = CHANGE_CUTTING_MODE(m, w, true); break;
    case 6: ok = CHANGE_CUTTING_MODE(m, w, false); break;
  }
  (void)ok;
  Set_WORK_combo(w);
  Redraw_velmor_gpnl(w);
}

void TWorkSetWin::PNL_WORK_COLORClick(int tag) {
  if (rules_.busy()) return;
  QLineEdit* e = ed_[tag];
  const int start = code_of(e);
  QPushButton* panel = tag == WSE_WORK_COLOR ? PNL_WORK_COLOR : PNL_MAT_COLOR;
  // The picker shows each code in the edit and its panel while the user picks; Cancel puts
  // the start code back there. Only OK commits.
  const std::optional<int> code = default_color_chooser().choose_color(
      start,
      [e, panel](int c) {
        const QSignalBlocker b(e);
        e->setText(QString::number(c));
        paint_color_panel(panel, c);
      },
      this);
  if (code) {
    e->setText(QString::number(*code));
    ED_minXExit(tag);
  }
  show_colors();
}

void TWorkSetWin::BTN_01_NEW_WORKClick(int tag) {
  if (rules_.busy()) return;
  Tmat& m = mat();
  const int w = Get_current_WORK_num();
  auto ask = [](const char* text) {
    return plat::message_box(text, "INFORMATION Message",
                             plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_DEFBUTTON2 |
                                 plat::MB_SYSTEMMODAL) == plat::IDOK;
  };
  switch (tag) {
    case 1: {
      const int slot = rules_.Create_new_WORK(host_.config_folder(), ext_, dialogs_);
      if (slot >= 0) {
        Set_WORK_combo(slot);
        Redraw_velmor_gpnl(slot);
      }
      return;
    }
    case 2: {
      std::filesystem::path file;
      if (!dialogs_.choose_work_file(false, "VLM WORK データの読み込み", "", file)) return;
      int first = -1;
      if (LOAD_WORK_DATA(m, file, true, first) && first >= 0) {
        Set_WORK_combo(first);
        Redraw_velmor_gpnl(first);
      }
      return;
    }
    case 3:
      if (w < 0 || !ask("現在のワークデータを削除していいですか？")) return;
      WORK_MEM_FREE_same_GROUP(m, w);
      Set_WORK_combo(-1);
      Redraw_velmor_gpnl(-1);
      return;
    case 4:
      if (!ask("全てのワークデータを削除していいですか？")) return;
      WORK_MEM_FREE_ALL(m);
      Set_WORK_combo(-1);
      Reset_WORK_SET_fields();
      Redraw_velmor_gpnl(-1);
      return;
    case 5:
      if (w < 0) return;
      CHANGE_GROUP_NUM(m, w, Get_Max_GROUP_num(m) + 1);
      Set_WORK_combo(w);
      Redraw_velmor_gpnl(w);
      return;
    case 6:
      if (w < 0) return;
      REMAKE_FOR_WORK_MATRIX(m, w);
      Show_WORK_values(w);
      Redraw_velmor_gpnl(w);
      return;
    case 7: hide(); return;
    case 8:
    case 9:
    case 10: {
      if (w < 0 && tag != 10) return;
      static const char* const titles[3] = {"VLM WORK データ(１ヶのみ)の保存",
                                            "VLM WORK グループデータの保存",
                                            "VLM WORK 全データの保存"};
      std::filesystem::path file;
      const std::string name = tag == 9 ? std::string() : work_file_name_;
      if (!dialogs_.choose_work_file(true, titles[tag - 8], name, file)) return;
      const int mode = tag == 8 ? 1 : tag == 9 ? 2 : 0;
      SAVE_WORK_DATA(m, file, mode, w);
      return;
    }
  }
}

bool TWorkSetWin::move_cursor(int dx, int dy) {
  const Tdisp_status& d = disp();
  if (!d.WSW_MatrixLine || d.WSW_MANUAL_CUTMODE) return false;
  Tmat& m = mat();
  const int w = Get_current_WORK_num();
  if (w < 0 || !m.works[w].in_use) return false;
  TPICK_CELL& p = m.pick;
  if (p.work != w) {
    p.work = w;
    p.ix = p.iy = 0;
  }
  const int ix = p.ix, iy = p.iy;
  if (!MOVE_PICK_POINT(m, dx, dy) || (p.ix == ix && p.iy == iy)) return false;
  host_.draw_data(24);
  char buf[160];
  std::snprintf(buf, sizeof buf, "( %.3f , %.3f , %.3f)", p.x, p.y, p.z);
  show_measured_point(buf);
  return true;
}

void TWorkSetWin::show_measured_point(const std::string& point) {
  ED_KEISOKU_VIEW->setText(plat::to_qstring(point));
  setWindowTitle(q("計測モード ") + plat::to_qstring(point));
}

void TWorkSetWin::show_note(const std::string& text) {
  if (auto* memo = findChild<QPlainTextEdit*>(QStringLiteral("Memo1")))
    memo->setPlainText(plat::to_qstring(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool TWorkSetWin::eventFilter(QObject* o, QEvent* ev) {
  if (ev->type() == QEvent::KeyPress) {
    auto* e = qobject_cast<QLineEdit*>(o);
    const auto* k = static_cast<QKeyEvent*>(ev);
    if (e && !e->isReadOnly()) {
      const int tag = e->property("Tag").toInt();
      if (k->modifiers() & Qt::ControlModifier) {
        int dx = 0, dy = 0;
        switch (k->key()) {
          case Qt::Key_Left: dx = -1; break;
          case Qt::Key_Right: dx = 1; break;
          case Qt::Key_Up: dy = 1; break;
          case Qt::Key_Down: dy = -1; break;
          default: return false;
        }
        move_cursor(dx, dy);
        return true;
      }
      if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
        const int next = tag + (k->key() == Qt::Key_Up ? -1 : 1);
        for (int t = next; t >= 0 && t < WSE_COUNT; t += k->key() == Qt::Key_Up ? -1 : 1) {
          if (ed_[t]->isEnabled()) {
            ed_[t]->setFocus();
            break;
          }
        }
        return true;
      }
    }
  }
  return QWidget::eventFilter(o, ev);
}

bool TWorkSetWin::event(QEvent* ev) {
  // FormActivate: back in front, the window shows the selected work as the store now has it
  // (the main window may have cut or moved it meanwhile) and has it drawn again.
  if (ev->type() == QEvent::WindowActivate && isVisible() && !filling_ && !committing_ &&
      !rules_.busy()) {
    const int w = Get_current_WORK_num();
    Show_WORK_values(w);
    Redraw_velmor_gpnl(w);
  }
  return QWidget::event(ev);
}

void TWorkSetWin::showEvent(QShowEvent* ev) {
  QWidget::showEvent(ev);
  Reset_WORK_SET_fields();
  Set_WORK_combo(Get_current_WORK_num());
  Redraw_velmor_gpnl(-2);
}

void TWorkSetWin::hideEvent(QHideEvent* ev) {
  QWidget::hideEvent(ev);
  if (ev->spontaneous() && isVisible()) return;  // minimised with its owner
  for (TWORK_DATA& w : mat().works) {
    w.sel_mark = 0;
    w.sel_value = 0;
    w.see_through = 0;
  }
  last_shown_ = -1;
  host_.end_WORK_SET();
}
