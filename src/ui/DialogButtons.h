#pragma once

class QDialog;
class QDialogButtonBox;

// The OK and Cancel buttons of a dialog, accepting and rejecting it.
QDialogButtonBox* MakeOkCancel(QDialog* dialog);
