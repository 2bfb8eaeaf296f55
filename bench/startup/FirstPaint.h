// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

// Once the first top-level window has been painted, prints "<resident KiB>\n" on stdout and
// ends the program at once. The time up to that line is what the benchmark measures.
void reportFirstPaint(QApplication& app);
