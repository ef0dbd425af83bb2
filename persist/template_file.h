// SPDX-License-Identifier: GPL-3.0-or-later
// Template files: the editor's lines as bytes on disk and back, read by the
// line rules of core/template_text.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/template_text.h"
#include "persist/persist_files.h"

namespace clipquill {

// The bytes of a template file: every line followed by CR LF, the last one
// included; no lines make an empty file. Lines are written whole.
std::string serializeTemplate(const std::vector<std::string>& lines);

// The template at path, or nothing when there is no file there. Raises Error
// when the file is there but cannot be read.
std::optional<std::vector<std::string>> readTemplate(PersistFiles& files, const std::string& path);

// The same, as one buffer.
std::optional<TemplateText> readTemplateText(PersistFiles& files, const std::string& path);

// Writes the template to path in one go; on failure Error is raised and an
// old file at path is left as it was.
void writeTemplate(PersistFiles& files, const std::string& path,
                   const std::vector<std::string>& lines);
void writeTemplateText(PersistFiles& files, const std::string& path, const TemplateText& text);

}  // namespace clipquill
