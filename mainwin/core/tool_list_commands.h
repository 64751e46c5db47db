// The tool list of the Tools menu: the program's tool table shown as cards, in T order or in
// the order of use, with the list's options taken back into the settings. No Qt here.
#pragma once

struct TSession;
class TVLM_command_table;
class Ttooling_host;
class TTOOL_LIST_opener;

// Tag 51. False when the program has no tool table (its box was shown).
bool visible_TOOL_LIST(TSession& s, Ttooling_host& host, TTOOL_LIST_opener& opener);

void register_tool_list_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                                 TTOOL_LIST_opener& opener);
