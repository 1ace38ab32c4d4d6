// `ombrisk-host manual-table`: the user's manual's table of parameters,
// asked of the plug-in itself so that the manual cannot drift from it.
#pragma once

#include <map>
#include <string>

#include "host/Args.h"

namespace ombrisk::host {

// Parses "Name: what it does" lines (blank lines and lines starting with #
// are skipped) into name -> text. False and a reason naming the line for a
// line without a colon, an empty name or text, or a name given twice.
bool ParseParameterNotes(const std::string& text, std::map<std::string, std::string>& notes, std::string& error);

// manual-table PLUGIN --notes FILE: prints a Markdown table with one row per
// parameter (name, range and default as the plug-in displays them, unit
// label, the note). Fails when a parameter has no note or a note names no
// parameter, so renaming one breaks the manual's check.
int CommandManualTable(const Args& args);

}  // namespace ombrisk::host
