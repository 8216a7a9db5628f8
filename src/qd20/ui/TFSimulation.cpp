#include "TFSimulation.h"

#include "AppState.h"
#include "SimBitRow.h"
#include "TCSchaltpunkt.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>

#include <algorithm>

namespace {

// Reply slots are laid out in three rows: bytes 1 to 9, 10 to 16 and 17 to 22.
constexpr std::array<int, 3> kReplyRowStarts{0, 9, 16};
constexpr int kColumns = 9;
constexpr int kRowsPerSlot = 3; // role, hex text, bits
constexpr int kFirstDataIndex = 3;
constexpr int kFixedRoles = 3; // address, length and command are always shown

// Room left of the distance scale for the value field, which sits left of its arrow.
constexpr int kDistanceFieldRoom = 80;
constexpr int kDistanceEditorHeight = 20;

QString hexText(std::uint8_t byte) {
    return QStringLiteral("0x") + QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

// Hidden slots keep their room, so the window does not jump while frames of different lengths
// come and go.
void keepRoomWhenHidden(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

QLabel* slotLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    keepRoomWhenHidden(label);
    return label;
}

} // namespace

TFSimulation::TFSimulation(AppState& app, QWidget* parent) : QWidget(parent, Qt::Tool), m_app(app) {
    setObjectName(QStringLiteral("FSimulation"));
    buildLayout();
    retranslate();
    // A tool window: Escape puts it away like its close button does.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

TFSimulation::~TFSimulation() = default;

void TFSimulation::buildLayout() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);

    const auto makeSlot = [this](const QColor& cells) {
        ByteSlot slot;
        slot.role = slotLabel(this);
        slot.hex = slotLabel(this);
        slot.bits = new SimBitRow(cells, this);
        keepRoomWhenHidden(slot.bits);
        return slot;
    };
    const auto place = [grid](const ByteSlot& slot, int row, int column) {
        grid->addWidget(slot.role, row, column, Qt::AlignHCenter | Qt::AlignBottom);
        grid->addWidget(slot.hex, row + 1, column, Qt::AlignHCenter);
        grid->addWidget(slot.bits, row + 2, column, Qt::AlignHCenter);
    };

    int row = 0;
    m_requestCaption = new QLabel(this);
    grid->addWidget(m_requestCaption, row++, 0, 1, kColumns);
    for (int i = 0; i < kRequestSlots; ++i) {
        m_request[static_cast<std::size_t>(i)] = makeSlot(Qt::white);
        place(m_request[static_cast<std::size_t>(i)], row, i);
    }
    row += kRowsPerSlot;
    grid->setRowMinimumHeight(row++, 12);

    m_replyCaption = new QLabel(this);
    grid->addWidget(m_replyCaption, row++, 0, 1, kColumns);
    for (std::size_t r = 0; r < kReplyRowStarts.size(); ++r) {
        const int first = kReplyRowStarts[r];
        const int end = r + 1 < kReplyRowStarts.size() ? kReplyRowStarts[r + 1] : kReplySlots;
        for (int i = first; i < end; ++i) {
            m_reply[static_cast<std::size_t>(i)] = makeSlot(Qt::yellow);
            place(m_reply[static_cast<std::size_t>(i)], row, i - first);
        }
        row += kRowsPerSlot;
        grid->setRowMinimumHeight(row++, 6);
    }

    // The distance editor: its value field is a sibling left of the arrow, so it lives in a
    // holder with room for that field.
    m_distanceCaption = new QLabel(this);
    grid->addWidget(m_distanceCaption, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_distanceHolder = new QWidget(this);
    auto* holderLayout = new QHBoxLayout(m_distanceHolder);
    holderLayout->setContentsMargins(kDistanceFieldRoom, 4, 12, 4);
    TCSchaltpunkt::Values values;
    values.Dezimalstellen = 1;
    values.Einheit = QStringLiteral("mm");
    values.Schaltfenster = false;
    values.SP1 = values.Stopp;
    SP_Q1 = new TCSchaltpunkt(values, m_distanceHolder);
    SP_Q1->setObjectName(QStringLiteral("SP_Q1"));
    SP_Q1->setFixedHeight(kDistanceEditorHeight);
    SP_Q1->setMinimumWidth(200);
    holderLayout->addWidget(SP_Q1);
    grid->addWidget(m_distanceHolder, row, 1, 1, kColumns - 1);

    showFrame(Area::Request, {});
    showFrame(Area::Reply, {});
}

void TFSimulation::retranslate() {
    setWindowTitle(tr("Simulation"));
    m_requestCaption->setText(tr("zum Sensor:"));
    m_replyCaption->setText(tr("vom Sensor:"));
    m_distanceCaption->setText(tr("Abstand:"));
    for (int i = 0; i < kRequestSlots; ++i)
        m_request[static_cast<std::size_t>(i)].role->setText(roleText(Area::Request, i, m_requestLength));
    for (int i = 0; i < kReplySlots; ++i)
        m_reply[static_cast<std::size_t>(i)].role->setText(roleText(Area::Reply, i, m_replyLength));
}

void TFSimulation::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

QString TFSimulation::roleText(Area area, int index, int length) const {
    switch (index) {
    case 0:
        return tr("Adresse");
    case 1:
        return tr("Länge");
    case 2: {
        if (length <= 2)
            return tr("Command");
        const std::uint8_t command = area == Area::Request ? m_requestCommand : m_replyCommand;
        return hexText(command) + QStringLiteral(" ; \"") + QChar(command) + QLatin1Char('"');
    }
    default:
        break;
    }
    if (length == 0)
        return tr("Daten");
    if (index == length - 1)
        return QStringLiteral("Checksum");
    if (index < length - 1)
        return area == Area::Request ? QStringLiteral("Data") : tr("Daten");
    return QStringLiteral("not used");
}

// A new request empties the reply area: what stands there answers an earlier request, and the
// reply to this one (if the window builds one) follows.
void TFSimulation::ShowRequestFrame(const std::vector<std::uint8_t>& frame) {
    showFrame(Area::Request, frame);
    showFrame(Area::Reply, {});
}

void TFSimulation::ShowReplyFrame(const std::vector<std::uint8_t>& frame) {
    showFrame(Area::Reply, frame);
}

void TFSimulation::showFrame(Area area, const std::vector<std::uint8_t>& frame) {
    const bool request = area == Area::Request;
    ByteSlot* byteSlots = request ? m_request.data() : m_reply.data();
    const int slotCount = request ? kRequestSlots : kReplySlots;

    // The frame's own length byte says how many bytes it has; a frame shorter than that, or
    // longer than the slots, shows what there is.
    int length = 0;
    if (frame.size() >= 2)
        length = std::min({int(frame[1] & 0x7F), int(frame.size()), slotCount});
    else
        length = int(frame.size());
    (request ? m_requestLength : m_replyLength) = length;
    (request ? m_requestCommand : m_replyCommand) = frame.size() > 2 ? frame[2] : 0;

    // Before the first frame only address, length and command are on display.
    const int shown = length == 0 ? kFixedRoles : length;
    for (int i = 0; i < slotCount; ++i) {
        ByteSlot& slot = byteSlots[i];
        const bool inFrame = i < shown;
        // Slots the frame does not reach go back to zero, so no byte of an earlier frame shows.
        const std::uint8_t byte = i < length ? frame[static_cast<std::size_t>(i)] : 0;
        slot.hex->setText(hexText(byte));
        slot.bits->setValue(byte);
        slot.hex->setVisible(inFrame);
        slot.bits->setVisible(inFrame);
        slot.role->setText(roleText(area, i, length));
        // Request slots beyond the frame say "not used"; reply slots beyond it have no role.
        const bool roleShown = i < kFixedRoles || request || (i >= kFirstDataIndex && i < length);
        slot.role->setVisible(roleShown);
    }
}

void TFSimulation::showWithin(const QRect& area, const QRect& beside) {
    adjustSize();
    // Room for the frame the window manager adds around the window.
    constexpr int kFrameRoom = 40;
    const QSize size = this->size().boundedTo(area.size() - QSize(kFrameRoom, kFrameRoom));
    resize(size);
    // Over the right-hand part of the main window (the plot), inside the screen.
    const int x = std::clamp(beside.right() - size.width(), area.left(), area.right() - size.width() - kFrameRoom);
    const int y = std::clamp(beside.top(), area.top(), area.bottom() - size.height() - kFrameRoom);
    move(x, y);
    show();
    raise();
}

void TFSimulation::copyRangeFrom(const TCSchaltpunkt& mainQ1) {
    SP_Q1->SetStepValue(mainQ1.Step());
    SP_Q1->SetStartValue(mainQ1.Start());
    SP_Q1->SetStoppValue(mainQ1.Stopp());
    SP_Q1->SetPos1Value(mainQ1.Stopp());
}

float TFSimulation::simulatedDistance() const {
    return SP_Q1->SP1();
}
