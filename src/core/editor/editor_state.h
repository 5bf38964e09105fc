// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <vector>

namespace zfx {

class EditorModel;
struct CardIdentity;

// The editor's state, as info --json prints it and every front end shows it: the file, the card,
// each control by its JSON key, the memory rates, the offsets the readers recorded, the messages
// and warnings the host was given, and the performance levels where the structure decodes them.
nlohmann::ordered_json editorStateJson(const EditorModel& model, const std::vector<Message>& messages,
                                       const std::vector<std::string>& warnings);

// What a window shows beside that state: its title and caption, the texts from the file as they
// are shown (escaped), each box's and list's mark (changed, refused) and tool tip, undo and redo,
// the levels as the window lists them, and the status line's checks.
//
// Under "levelTable", the performance levels as the window's table edits them, or null when the
// image has no levels a user may change:
//   {"voltages": ["1.20", "1.30"],          the voltages a level may ask for, ascending
//    "levels": [{"id": "80h", "cells": [    every value of the level, in the order of cellsOf
//      {"name": "80h:memory.1",             what setLevelText and --level take
//       "field": "memoryCopy",              core, memory, memoryCopy, voltage or fan
//       "copy": 1,                          the memory copy; null for the other fields
//       "text": "275.49", "unit": "MHz",    what the cell shows, as levelText gives it
//       "changed": false,                   differs from the file
//       "refusal": "",                      why the save would refuse it; empty when it takes it
//       "hint": "...", "place": "...",      its tool tip, and where its bytes lie
//       "linked": "mem3d"}]}]}              the mode box or list showing the same value, or null
nlohmann::ordered_json windowViewJson(const EditorModel& model);

// The card's PCI IDs: device "10DE:0312", subsystem "107D:2971", the subsystem vendor's name.
nlohmann::ordered_json pciIdsJson(const CardIdentity& id);

// One JSON value as one line of text: every character outside printable ASCII (C0, DEL, C1 and the
// rest) escaped as \uXXXX, so the line is plain ASCII that no terminal acts on, and bytes of a file
// name that are no UTF-8 replaced by U+FFFD instead of ending the program.
std::string jsonLine(const nlohmann::ordered_json& value);

} // namespace zfx
