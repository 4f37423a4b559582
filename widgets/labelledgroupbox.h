#pragma once

#include <QGroupBox>

// A group box titled with a label the user chose. A label too long for the box is cut
// short with an ellipsis instead of widening the box (eight long labels would push the
// window past a laptop screen); the whole label is then the box's tool tip.
class LabelledGroupBox : public QGroupBox
{
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // Titles the box "  label  ".
    void setLabelTitle(const QString& label);

protected:
    bool event(QEvent* event) override;

private:
    void fitTitle();

    QString label;
    bool labelled = false; // the title is the label's, to be fitted again when the look changes
};
