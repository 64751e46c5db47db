#include "mainwin/menu_builder_1.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <map>
#include <string>

#include "platform/qt/qtext.h"

int action_tag(const QAction* a) {
  if (!a) return -1;
  const QVariant v = a->property("Tag");
  return v.isValid() ? v.toInt() : -1;
}

namespace {

const char* menu_name(VLM_place p) { return place_component(p); }

}  // namespace

VLM_built_menus build_menus_from_table(
    QMainWindow& win, const std::function<void(const VLM_menu_item&, QAction*)>& clicked,
    const std::function<bool(const char*)>& skip) {
  VLM_built_menus out;
  std::map<VLM_place, QMenu*> menus;
  auto menu_of = [&](VLM_place p) -> QMenu* {
    auto it = menus.find(p);
    if (it != menus.end()) return it->second;
    QMenu* m = nullptr;
    const QString name = QString::fromLatin1(menu_name(p));
    if (p == VLM_place::popup) {
      m = new QMenu(&win);
      out.popup = m;
    } else {
      // A menu the window already has is extended.
      m = win.menuBar()->findChild<QMenu*>(name, Qt::FindDirectChildrenOnly);
      if (!m) m = win.menuBar()->addMenu(plat::to_qstring(place_caption(p)));
    }
    m->setObjectName(name);
    menus[p] = m;
    return m;
  };
  std::map<std::string, QActionGroup*> groups;
  for (const VLM_menu_item& it : menu_items()) {
    if (skip && skip(it.component)) continue;
    QAction* a = nullptr;
    if (it.place == VLM_place::toolbar) {
      if (!out.toolbar) {
        out.toolbar = win.addToolBar(plat::to_qstring(place_caption(VLM_place::toolbar)));
        out.toolbar->setObjectName(QString::fromLatin1(menu_name(VLM_place::toolbar)));
      }
      a = out.toolbar->addAction(plat::to_qstring(it.caption));
    } else {
      a = menu_of(it.place)->addAction(plat::to_qstring(it.caption));
    }
    a->setObjectName(QString::fromLatin1(it.component));
    a->setProperty("Tag", it.tag);
    if (*it.shortcut) {
      a->setShortcut(QKeySequence(QString::fromLatin1(it.shortcut)));
      // The window's keys win over the focused listing row's own.
      a->setShortcutContext(Qt::WindowShortcut);
    }
    a->setCheckable(it.checkable);
    if (*it.group) {
      QActionGroup*& g = groups[std::string(it.group) + char('0' + static_cast<int>(it.place))];
      if (!g) {
        g = new QActionGroup(&win);
        g->setExclusive(true);
      }
      g->addAction(a);
    }
    a->setEnabled(it.state == VLM_item_state::enabled || it.state == VLM_item_state::hidden);
    a->setVisible(it.state != VLM_item_state::hidden);
    if (it.state == VLM_item_state::pending)
      a->setStatusTip(plat::to_qstring("準備中です"));
    const VLM_menu_item item = it;
    QObject::connect(a, &QAction::triggered, &win, [clicked, item, a] {
      if (clicked) clicked(item, a);
    });
  }
  return out;
}

QAction* find_action(QMainWindow& win, const char* component) {
  return win.findChild<QAction*>(QString::fromLatin1(component));
}

// ---- TVLM_menus ---------------------------------------------------------------------------

bool TVLM_menus::item_checked(const char* c) {
  QAction* a = find_action(win_, c);
  return a && a->isChecked();
}

void TVLM_menus::set_item_checked(const char* c, bool on) {
  if (QAction* a = find_action(win_, c)) a->setChecked(on);
}

void TVLM_menus::set_item_caption(const char* c, const std::string& t) {
  if (QAction* a = find_action(win_, c)) a->setText(plat::to_qstring(t));
}

// An item, a whole menu or the tool bar.
void TVLM_menus::set_item_visible(const char* c, bool on) {
  const QString name = QString::fromLatin1(c);
  if (QAction* a = find_action(win_, c)) a->setVisible(on);
  else if (QMenu* m = win_.menuBar()->findChild<QMenu*>(name)) m->menuAction()->setVisible(on);
  else if (QToolBar* t = win_.findChild<QToolBar*>(name)) t->setVisible(on);
}

void TVLM_menus::mouse_mode_changed(int mode) {
  const int low = mode & 0xF;
  set_item_checked("spbtn_zoom", low == 1);
  set_item_checked("spbtn_pan", low == 2);
  set_item_checked("spbtn_rotate", low == 3);
  set_item_checked("spbtn_zoomove", mode == 19);
  set_item_checked("spbtn_location", ((mode >> 4) & 0xF) == 2);
}

void TVLM_menus::set_vis_loc(bool on) { set_item_checked("menu_vis_loc", on); }
