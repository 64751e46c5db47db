#include "common/debug_win.h"

namespace velmor {

Tdeb::~Tdeb() { uninstall(); }

void Tdeb::install() {
  if (installed_) return;
  prev_sink_ = set_deb_log_sink(this);
  installed_ = true;
}

void Tdeb::uninstall() {
  if (!installed_) return;
  // Only when no one installed another sink over this one.
  if (deb_log_sink() == this) set_deb_log_sink(prev_sink_);
  installed_ = false;
}

void Tdeb::Add_deb_message(const std::string& text) {
  add(Page::Message, text);
  mirror_deb_message(text);
}

void Tdeb::mirror_deb_message(const std::string& text) {
  if (mirror_on && mirror_list) mirror_list->push_back(text);
}

void Tdeb::clear_deb_message() { clear(Page::Message); }
void Tdeb::add_dump_line(const std::string& text) { add(Page::Dump, text); }
void Tdeb::clear_dump() { clear(Page::Dump); }
void Tdeb::add_mem_line(const std::string& text) { add(Page::Memory, text); }
void Tdeb::clear_mem() { clear(Page::Memory); }

const std::vector<std::string>& Tdeb::lines(Page page) const {
  switch (page) {
    case Page::Dump: return dump_;
    case Page::Memory: return mem_;
    default: return message_;
  }
}

std::vector<std::string>& Tdeb::list(Page page) {
  return const_cast<std::vector<std::string>&>(static_cast<const Tdeb*>(this)->lines(page));
}

std::string Tdeb::page_text(Page page) const {
  std::string s;
  for (const auto& l : lines(page)) {
    s += l;
    s += "\r\n";
  }
  return s;
}

void Tdeb::add(Page page, const std::string& text) {
  list(page).push_back(text);
  if (view_) view_->line_added(page, text);
}

void Tdeb::clear(Page page) {
  list(page).clear();
  if (view_) view_->page_cleared(page);
}

}  // namespace velmor
