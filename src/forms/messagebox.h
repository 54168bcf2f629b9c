// SPDX-License-Identifier: MIT
#pragma once

class QString;
class QWidget;

namespace Forms {

// The application title every message box bears.
QString AppTitle();

// A modal message with the critical-stop icon and a single OK button, titled "Zumeko".
void MsgBox(const QString &text, QWidget *parent = nullptr);

} // namespace Forms
