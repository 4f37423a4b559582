#pragma once

#include "labelledgroupbox.h"

#include <QString>
#include <memory>

namespace Ui {
class ChannelControl;
}

class InputNode;
class OutputNode;
class ParamTree;

// The mixer strip of one channel (or of the master volume). It holds no values: its
// widgets are bound to nodes. What it adds is grouping: grouped output strips move
// together, and any of them may refuse a move that would take it out of range.
class ChannelControl : public LabelledGroupBox
{
    Q_OBJECT
public:
    struct Change
    {
        enum Kind
        {
            None = 0,
            Mute = 1,
            Invert = 2,
            Volume = 3, // the volume spin box
            Delay = 4,
            VolumeFader = 5,
        };
        int kind = None;
        bool checked = false; // mute and invert
        double delta = 0.0;   // dB or ms, against the value before the edit
    };

    // The master strip: the form only, no grouping.
    explicit ChannelControl(QWidget* parent = nullptr);
    ChannelControl(const QString& title, bool isInput, QWidget* parent = nullptr);
    ~ChannelControl() override;

    void bind(InputNode* node);
    void bind(OutputNode* node);
    void bind(ParamTree* tree);
    void prepareForMasterVolume();
    // Shows the channel's label as the title and names every control after it, for
    // screen readers ("Tweeter L mute").
    void setChannelLabel(const QString& label);

    // Shows whether the output is linked with its left/right neighbour; says nothing back.
    void setLinked(bool linked);

    QString getOutputLabel() const;
    void setOutputLabel(const QString& label);

    // Applies a change offered by another strip. With `ok` set, only asks: a change that
    // would leave this strip's range sets *ok to false and changes nothing. Not a Qt slot:
    // the form's by-name wiring would look for an object called "change". Connect it by
    // member pointer.
    void on_change(ChannelControl::Change change, bool* ok);

Q_SIGNALS:
    void changed(ChannelControl::Change change, bool* ok);
    void titlePressed();
    // The user ticked or unticked "Link L/R".
    void linkToggled(bool linked);
    // Right-click, the context menu key or Shift+F10 on the strip: where to show its menu.
    void menuRequested(const QPoint& globalPos);

public Q_SLOTS:
    void on_peq_clicked();
    void on_xover_clicked();
    void on_mute_toggled(bool on);
    void on_invert_toggled(bool on);
    void onVolumeChangedByDelta(double delta, bool* ok);
    void onDelayChangedByDelta(double delta, bool* ok);
    void onVolumeSliderChangedByDelta(double delta, bool* ok);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void nameControls(const QString& label);
    bool offersChanges() const;
    void offer(int kind, bool checked, double delta, bool* ok);

    std::unique_ptr<Ui::ChannelControl> ui;
    InputNode* inputNode = nullptr;   // not owned
    OutputNode* outputNode = nullptr; // not owned
    bool applyingChange = false;      // set while on_change applies another strip's change
    QString defaultLabel;             // what the strip is called while its label is blank
};
