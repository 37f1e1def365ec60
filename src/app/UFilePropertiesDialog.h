// The page file's properties: where it is, its size and time stamp, and the encoding and line
// breaks the engine detects in it. A small modal dialog of its own, made for one showing.
#pragma once

#include "render/UPageOperations.h"

#include <QDialog>

class QLabel;

namespace tarnel {

class TLanguage;

class TfrmFileProperties : public QDialog {
    Q_OBJECT
public:
    TfrmFileProperties(const TFileProperties& properties, const TLanguage& language,
                       QWidget* parent);

    QLabel *lblPath, *lblSize, *lblModified, *lblEncoding, *lblLineBreak;
};

} // namespace tarnel
