#pragma once

#include <QString>
#include <string>

#include "config/dialog/password_entry.h"

class QWidget;

namespace kestrin::qt {

// The lock's entry box of password_entry.h as a Qt dialog named "PasswordBox".
std::string AskPassword(QWidget* parent, const QString& caption, const QString& prompt);

}  // namespace kestrin::qt
