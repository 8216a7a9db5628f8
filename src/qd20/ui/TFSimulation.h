#pragma once
// The frame simulation window: while it is visible, the ZYL24 window sends nothing to the line.
// It shows every request frame it would have sent ("zum Sensor:") and the reply it builds in place
// of the sensor ("vom Sensor:"), each byte as hexadecimal text and as eight bits, and offers the
// simulated distance ("Abstand:") as a one-point switch-point editor.
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QEvent;
class QLabel;
class SimBitRow;
class TCSchaltpunkt;
struct AppState;

class TFSimulation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRequestSlots = 9; // a request frame is 4 to 9 bytes long
    static constexpr int kReplySlots = 22;  // the longest reply is the parameter block

    // One frame byte on display: its role, its value as "0x.." and its eight bits.
    struct ByteSlot {
        QLabel* role = nullptr;
        QLabel* hex = nullptr;
        SimBitRow* bits = nullptr;
    };

    explicit TFSimulation(AppState& app, QWidget* parent = nullptr);
    ~TFSimulation() override;

    // The frame the ZYL24 window would have written (at most 9 bytes are shown).
    void ShowRequestFrame(const std::vector<std::uint8_t>& frame);
    // The reply built in place of the sensor (at most 22 bytes are shown).
    void ShowReplyFrame(const std::vector<std::uint8_t>& frame);
    // Shows the window wholly inside `area` (the screen's free part), near `beside`.
    void showWithin(const QRect& area, const QRect& beside);

    // Takes over the scale of the main window's Q1 editor (Start, Stopp, Step) and puts the
    // simulated distance at the far end of the range, where no target is seen to switch Q1.
    void copyRangeFrom(const TCSchaltpunkt& mainQ1);
    // The simulated distance in millimetres (the editor's point).
    float simulatedDistance() const;

    const ByteSlot& requestSlot(int index) const { return m_request.at(static_cast<std::size_t>(index)); }
    const ByteSlot& replySlot(int index) const { return m_reply.at(static_cast<std::size_t>(index)); }

    // The distance editor: one point, one decimal, unit "mm".
    TCSchaltpunkt* SP_Q1 = nullptr;

protected:
    void changeEvent(QEvent* event) override;

private:
    enum class Area { Request, Reply };
    void buildLayout();
    void retranslate();
    void showFrame(Area area, const std::vector<std::uint8_t>& frame);
    QString roleText(Area area, int index, int length) const;

    AppState& m_app;
    std::array<ByteSlot, kRequestSlots> m_request{};
    std::array<ByteSlot, kReplySlots> m_reply{};
    // Shown lengths (0 before the first frame), so retranslating can rewrite the role texts.
    int m_requestLength = 0;
    int m_replyLength = 0;
    std::uint8_t m_requestCommand = 0;
    std::uint8_t m_replyCommand = 0;
    QLabel* m_requestCaption = nullptr;
    QLabel* m_replyCaption = nullptr;
    QLabel* m_distanceCaption = nullptr;
    QWidget* m_distanceHolder = nullptr;
};
