#pragma once

class QDialog;
class QPushButton;

// QDialog makes an auto-default push button its default, so Enter in any box of the dialog
// would click it (a test e-mail sent, a dialog saved and closed). Call once a dialog's
// buttons exist: none is a default or auto-default button but `named`, the one a form names
// as its default, and Enter clicks a button only while it has the focus, as Space does.
void NoDefaultButtons(QDialog *dialog, QPushButton *named = nullptr);
