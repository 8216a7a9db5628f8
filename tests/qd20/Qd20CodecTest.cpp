// Variants, raw conversion, the parameter block and the window's settings derived from it.
#include "Q20_speziell.h"
#include "Qd20ParameterBlock.h"
#include "Qd20PixelData.h"
#include "Qd20Settings.h"
#include "Qd20Variant.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {
const Qd20Variant& variant(int sensorType) {
    return *VariantForSensorType(sensorType);
}
} // namespace

TEST(Qd20VariantTest, BlockCodesAndSensorTypesNameTheSameRanges) {
    struct Row {
        std::uint8_t code;
        int type;
        float start, span;
        const char* text;
    };
    for (const Row& r :
         {Row{'1', 2, 30, 70, "Sensor: ZYL24_70"}, Row{'0', 1, 80, 220, "Sensor: ZYL24_220"},
          Row{'2', 11, 250, 500, "Sensor: ZYL24_500"}, Row{'3', 10, 250, 1000, "Sensor: ZYL24_1000"}}) {
        for (std::uint8_t code : {r.code, std::uint8_t(r.code - '0'), std::uint8_t(r.code | 0x80)}) {
            const Qd20Variant* v = VariantForCode(code);
            ASSERT_NE(v, nullptr) << int(code);
            EXPECT_EQ(v->sensorType, r.type);
        }
        const Qd20Variant& v = variant(r.type);
        EXPECT_EQ(v.rangeStart, r.start);
        EXPECT_EQ(v.rangeSpan, r.span);
        EXPECT_EQ(v.sensorText, r.text);
        EXPECT_EQ(VariantForSpan(int(r.span)), &v);
    }
    EXPECT_EQ(VariantForCode('4'), nullptr);
    EXPECT_EQ(VariantForCode(4), nullptr);
    EXPECT_EQ(VariantForSensorType(8), nullptr);
}

TEST(Qd20VariantTest, RangeStartAndEndMapToTheEndsOfTheScale) {
    for (const Qd20Variant& v : Qd20Variants()) {
        EXPECT_EQ(ToRaw(v.rangeStart, v), 4095) << v.sensorText;
        EXPECT_EQ(ToRaw(v.rangeEnd(), v), 0) << v.sensorText;
        EXPECT_FLOAT_EQ(ToMillimetres(4095, v), v.rangeStart);
        EXPECT_FLOAT_EQ(ToMillimetres(0, v), v.rangeEnd());
    }
    // Truncation toward zero, on both sides of the scale.
    EXPECT_EQ(ToRaw(80.1f, variant(1)), 4093); // 4093.14
    EXPECT_EQ(ToRaw(65.0f, variant(2)), 2047); // 2047.5
    EXPECT_EQ(ToRaw(300.1f, variant(1)), -1);  // -1.86
    EXPECT_EQ(ToRaw(79.9f, variant(1)), 4096); // 4096.86
    EXPECT_FLOAT_EQ(ToMillimetres(2048, variant(10)), 749.8779f);
    EXPECT_DOUBLE_EQ(ToMillimetresInt(4095, variant(11)), 250.0);
    // Nonsense in, a number out (not undefined behaviour).
    EXPECT_LT(ToRaw(std::numeric_limits<float>::infinity(), variant(1)), 0);
    EXPECT_GT(ToRaw(-std::numeric_limits<float>::infinity(), variant(1)), 4095);
}

TEST(Qd20ParameterBlockTest, EveryExpressibleCombinationSurvivesTheRoundTrip) {
    using B = Qd20ParameterBlock;
    constexpr bool B::*kFlags[] = {&B::q1NormallyClosed, &B::q1PulseStretch, &B::setQ1High,
                                   &B::q2NormallyClosed, &B::q2PulseStretch, &B::holdOn,
                                   &B::keyLockOn,        &B::lowlight};
    int checked = 0;
    Qd20ParameterBlock b{.variantCode = '0',
                         .analogPoint1Raw = 4095,
                         .analogPoint2Raw = 1,
                         .q1SecondRaw = 2048,
                         .q2SecondRaw = 64,
                         .q2FirstRaw = 4032};
    for (int q1 = 0; q1 < 10; ++q1)
        for (int q2 = 0; q2 < 3; ++q2)
            for (int bw = 0; bw < 3; ++bw)
                for (int flags = 0; flags < 256; ++flags) {
                    b.q1Function = q1;
                    b.q2Function = q2;
                    b.averaging = bw;
                    for (int bit = 0; bit < 8; ++bit)
                        b.*kFlags[bit] = flags >> bit & 1;
                    b.q1FirstRaw = (checked * 7) % 4096; // every 12-bit value passes through
                    const auto bytes = EncodeParameterBlock(b);
                    for (std::uint8_t byte : bytes)
                        ASSERT_LT(byte, 0x80);
                    const auto decoded = DecodeParameterBlock(bytes);
                    ASSERT_TRUE(decoded);
                    ASSERT_EQ(*decoded, b) << q1 << ' ' << q2 << ' ' << bw << ' ' << flags;
                    ASSERT_EQ(EncodeParameterBlock(*decoded), bytes);
                    ++checked;
                }
    EXPECT_EQ(checked, 10 * 3 * 3 * 256);
}

TEST(Qd20ParameterBlockTest, BitsSitWhereTheSensorPutsThem) {
    // Q1 at "Diff-Hold" (byte 0 bit 4), trigger high (bit 5), Q1 normally closed (byte 1 bit 2),
    // Q2 "Good Target" (byte 3 bit 4) with pulse stretching (bit 3), key lock (byte 4 bit 3),
    // 0.4 ms averaging (byte 5 bit 0) and lowlight (bit 3).
    const Bytes bytes{0x30, 0x04, '3',  0x18, 0x08, 0x09, 0x3F, 0x3F, 0x00,
                      0x00, 0x20, 0x00, 0x10, 0x01, 0x01, 0x02, 0x03, 0x04};
    const Qd20ParameterBlock expected{.q1Function = 6,
                                      .q1NormallyClosed = true,
                                      .setQ1High = true,
                                      .variantCode = '3',
                                      .q2Function = 2,
                                      .q2PulseStretch = true,
                                      .keyLockOn = true,
                                      .averaging = 2,
                                      .lowlight = true,
                                      .analogPoint1Raw = 4095,
                                      .analogPoint2Raw = 0,
                                      .q1SecondRaw = 2048,
                                      .q1FirstRaw = 1025,
                                      .q2SecondRaw = 66,
                                      .q2FirstRaw = 196};
    const auto b = DecodeParameterBlock(bytes);
    ASSERT_TRUE(b);
    EXPECT_EQ(*b, expected);
    const auto encoded = EncodeParameterBlock(*b);
    EXPECT_EQ(Bytes(encoded.begin(), encoded.end()), bytes);
}

TEST(Qd20ParameterBlockTest, ConflictingOrMissingFunctionBits) {
    Bytes bytes(18, 0);
    // "trigger" (byte 0 bit 0) outranks "Schaltausgang" (byte 1 bit 0); "Schaltfenster"
    // (byte 1 bit 1) outranks "Schaltausgang".
    bytes[0] = 0x01;
    bytes[1] = 0x01;
    EXPECT_EQ(DecodeParameterBlock(bytes)->q1Function, 2);
    bytes[0] = 0;
    bytes[1] = 0x03;
    EXPECT_EQ(DecodeParameterBlock(bytes)->q1Function, 1);
    bytes[1] = 0;
    const auto none = DecodeParameterBlock(bytes);
    EXPECT_FALSE(none->q1Function);
    EXPECT_FALSE(none->q2Function);
    EXPECT_FALSE(none->averaging);
    EXPECT_FALSE(DecodeParameterBlock(Bytes(17, 0)));
}

TEST(Qd20SettingsTest, ReadAllTakesTheOnlyPointFromTheSecondPair) {
    const Qd20Variant& v = variant(1);
    const Qd20ParameterBlock b{.q1Function = 0,
                               .q1NormallyClosed = true,
                               .setQ1High = true,
                               .q2Function = 1,
                               .q2PulseStretch = true,
                               .holdOn = true,
                               .averaging = 1,
                               .lowlight = true,
                               .analogPoint1Raw = 0,
                               .analogPoint2Raw = 4095,
                               .q1SecondRaw = 4095,
                               .q1FirstRaw = 1000,
                               .q2SecondRaw = 0,
                               .q2FirstRaw = 4095};
    const Qd20Settings s = SettingsFromBlock(b, v, Qd20Settings{});
    // Two-state sliders sit at 0 exactly where the block's flag is set.
    EXPECT_EQ((std::array{s.osQ1, s.ivQ1, s.setQ1, s.osQ2, s.ivQ2, s.hold, s.tv}),
              (std::array{0, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(s.fktQ1, 0);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 80.0f);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1B, 300.0f);
    EXPECT_EQ(s.fktQ2, 1);
    EXPECT_FLOAT_EQ(s.SwitchPointQ2A, 80.0f);
    EXPECT_FLOAT_EQ(s.SwitchPointQ2B, 300.0f);
    EXPECT_FLOAT_EQ(s.AnalogPoint1, 300.0f);
    EXPECT_FLOAT_EQ(s.AnalogPoint2, 80.0f);
    EXPECT_EQ(s.bw, 1);
    EXPECT_TRUE(s.lowlight);
}

TEST(Qd20SettingsTest, UnselectedFunctionsKeepThePreviousSliderPositions) {
    const Qd20Settings previous{.fktQ1 = 7, .fktQ2 = 2, .bw = 2};
    const Qd20ParameterBlock b{.q1FirstRaw = 4095}; // no function, no averaging selected
    const Qd20Settings s = SettingsFromBlock(b, variant(2), previous);
    EXPECT_EQ(s.fktQ1, 7);
    EXPECT_EQ(s.fktQ2, 2);
    EXPECT_EQ(s.bw, 2);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 30.0f); // function 7 reads the first pair
}

TEST(Qd20SettingsTest, SettingsSurviveTheSimulatedBlockAndBack) {
    const Qd20Variant& v = variant(10);
    Qd20Settings s;
    PresetPoints(s, v);
    EXPECT_FLOAT_EQ(s.SwitchPointQ1A, 250.0f);
    EXPECT_FLOAT_EQ(s.SwitchPointQ2B, 260.0f);
    EXPECT_FLOAT_EQ(s.AnalogPoint1, 1250.0f);
    EXPECT_FLOAT_EQ(s.AnalogPoint2, 260.0f);
    s.fktQ1 = 4, s.osQ1 = 0, s.ivQ2 = 0, s.setQ1 = 1, s.fktQ2 = 0, s.tv = 0, s.bw = 1;
    s.SwitchPointQ1B = 700.0f;
    s.SwitchPointQ2A = 1000.0f;
    const Qd20ParameterBlock b = BlockFromSettings(s, v, '0');
    EXPECT_EQ(b.variantCode, '0');
    EXPECT_EQ(b.q2FirstRaw, 0);
    EXPECT_EQ(b.q2SecondRaw, ToRaw(1000.0f, v));
    Qd20Settings back = SettingsFromBlock(b, v, Qd20Settings{});
    // Points come back within the scale's resolution (a quarter millimetre at 1000 mm); the
    // unused second point of a single switch point comes back as the range end.
    EXPECT_NEAR(back.SwitchPointQ1A, s.SwitchPointQ1A, 0.25f);
    EXPECT_NEAR(back.SwitchPointQ1B, s.SwitchPointQ1B, 0.25f);
    EXPECT_NEAR(back.SwitchPointQ2A, s.SwitchPointQ2A, 0.25f);
    EXPECT_FLOAT_EQ(back.SwitchPointQ2B, v.rangeEnd());
    EXPECT_NEAR(back.AnalogPoint1, s.AnalogPoint1, 0.25f);
    EXPECT_NEAR(back.AnalogPoint2, s.AnalogPoint2, 0.25f);
    for (Qd20Settings* x : {&back, &s})
        x->SwitchPointQ1A = x->SwitchPointQ1B = x->SwitchPointQ2A = x->SwitchPointQ2B = x->AnalogPoint1 =
            x->AnalogPoint2 = 0;
    EXPECT_EQ(back, s);
}

TEST(Qd20PixelDataTest, PixelRepliesDecodeAsTheServiceViewsShowThem) {
    Bytes data(kQd20PixelDataBytes + 1, 0);
    data[0] = 1;
    data[1] = 2;    // first number 130
    data[2] = 0x7F; // pixel 0 high byte: 127 * 256 + 127 * 4 wraps negative
    data[3] = 0x7F;
    data[4] = 0x01; // pixel 1: 256 + 12
    data[5] = 0x03;
    data[2 + 2 * 101] = 0x10; // pixel 101
    data[3 + 2 * 101] = 0x00;
    const auto curve = DecodePixelCurve(data);
    ASSERT_TRUE(curve);
    EXPECT_EQ((*curve)[0], std::int16_t(33020 - 65536));
    EXPECT_EQ((*curve)[1], 268);
    EXPECT_EQ((*curve)[101], 4096);
    const auto numbers = DecodePixelNumbers(data);
    ASSERT_TRUE(numbers);
    EXPECT_EQ((*numbers)[0], 130);
    EXPECT_EQ((*numbers)[1], 127 * 128 + 127);
    EXPECT_EQ((*numbers)[2], 131);
    const auto service = DecodeServiceNumbers(data);
    ASSERT_TRUE(service);
    EXPECT_EQ((*service)[0], 127 * 128 + 127);
    EXPECT_EQ((*service)[1], 131);
    EXPECT_EQ((*service)[2], 0);
    // Short replies give nothing rather than reading past their end.
    EXPECT_FALSE(DecodePixelCurve(Bytes(kQd20PixelDataBytes - 1, 0)));
    EXPECT_FALSE(DecodePixelNumbers(Bytes(19, 0)));
    EXPECT_FALSE(DecodeServiceNumbers(Bytes(7, 0)));
}
