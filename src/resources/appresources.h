// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Registers the compiled-in pictures, icons, style sheets, texts and translations. They live in static
// libraries, so the linker keeps them only when something calls this; safe to call any number of times.
void initAppResources();
