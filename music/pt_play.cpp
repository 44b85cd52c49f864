// Replay routine: one tick at a time, moves through rows, patterns and order
// positions, triggers notes and runs the effects, steering the sound device's
// channels. Owns the song position and the channel state. Runs on the music clock's
// thread (audio callback or timer); pt_init on the main thread before the clock starts.
#include "music/pt.h"

#include "sound/sd.h"

#include <cmath>
#include <cstdlib>

std::atomic<std::int32_t> pt_songpos;
std::atomic<std::int32_t> pt_rowcount;
std::uint32_t pt_vbcount;
std::uint32_t pt_speed;
std::uint32_t pt_breakrow;
pt_rowstart_record pt_lastrowstart;
std::uint32_t pt_curpattern;
std::uint8_t* pt_lineptr;

std::int32_t pt_cursample[PT_CHANNELS_MAX];
std::int32_t pt_volume[PT_CHANNELS_MAX];
std::int32_t pt_period[PT_CHANNELS_MAX];
std::int32_t pt_noteperiod[PT_CHANNELS_MAX];
std::int32_t pt_note[PT_CHANNELS_MAX];
std::int32_t pt_finetune[PT_CHANNELS_MAX];
std::int32_t pt_panning[PT_CHANNELS_MAX];
std::int32_t pt_portaspeed[PT_CHANNELS_MAX];
std::int32_t pt_glissando[PT_CHANNELS_MAX];
std::int32_t pt_vibpos[PT_CHANNELS_MAX];
std::int32_t pt_vibspeed[PT_CHANNELS_MAX];
std::int32_t pt_vibdepth[PT_CHANNELS_MAX];
std::int32_t pt_trempos[PT_CHANNELS_MAX];
std::int32_t pt_tremspeed[PT_CHANNELS_MAX];
std::int32_t pt_tremdepth[PT_CHANNELS_MAX];
std::int32_t pt_loopcount[PT_CHANNELS_MAX];
std::int32_t pt_looprow[PT_CHANNELS_MAX];
std::int32_t pt_delay[PT_CHANNELS_MAX];

std::uint16_t pt_periods[16][PT_NOTES];

const std::int16_t pt_sine[64] = {
    0,    24,   49,   74,   97,   120,  141,  161,  180,  197,  212,  224,  235,  244,  250,  253,
    255,  253,  250,  244,  235,  224,  212,  197,  180,  161,  141,  120,  97,   74,   49,   24,
    0,    -24,  -49,  -74,  -97,  -120, -141, -161, -180, -197, -212, -224, -235, -244, -250, -253,
    -255, -253, -250, -244, -235, -224, -212, -197, -180, -161, -141, -120, -97,  -74,  -49,  -24,
};
std::int16_t pt_ramp[64];
const std::int16_t pt_square[64] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,  255,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256, -256,
};
std::int16_t pt_random[64];
const std::int16_t* const pt_waveforms[4] = {pt_sine, pt_ramp, pt_square, pt_random};
const std::int16_t* pt_vibwave = pt_sine;
const std::int16_t* pt_tremwave = pt_sine;
// Left, right, right, left, as on the four-voice original hardware: 7 and 9 sixteenths.
std::uint8_t pt_defaultpan[PT_CHANNELS_MAX] = {
    7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7,
};

namespace {

// The tracker's own periods for notes 24..59 of each finetune row (0..7, then -8..-1).
constexpr std::uint16_t TRACKER_PERIODS[16][36] = {
    {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339, 320,
     302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113},
    {850, 802, 757, 715, 674, 637, 601, 567, 535, 505, 477, 450, 425, 401, 379, 357, 337, 318,
     300, 284, 268, 253, 239, 225, 213, 201, 189, 179, 169, 159, 150, 142, 134, 126, 119, 113},
    {844, 796, 752, 709, 670, 632, 597, 563, 532, 502, 474, 447, 422, 398, 376, 355, 335, 316,
     298, 282, 266, 251, 237, 224, 211, 199, 188, 177, 167, 158, 149, 141, 133, 125, 118, 112},
    {838, 791, 746, 704, 665, 628, 592, 559, 528, 498, 470, 444, 419, 395, 373, 352, 332, 314,
     296, 280, 264, 249, 235, 222, 209, 198, 187, 176, 166, 157, 148, 140, 132, 125, 118, 111},
    {832, 785, 741, 699, 660, 623, 588, 555, 524, 495, 467, 441, 416, 392, 370, 350, 330, 312,
     294, 278, 262, 247, 233, 220, 208, 196, 185, 175, 165, 156, 147, 139, 131, 124, 117, 110},
    {826, 779, 736, 694, 655, 619, 584, 551, 520, 491, 463, 437, 413, 390, 368, 347, 328, 309,
     292, 276, 260, 245, 232, 219, 206, 195, 184, 174, 164, 155, 146, 138, 130, 123, 116, 109},
    {820, 774, 730, 689, 651, 614, 580, 547, 516, 487, 460, 434, 410, 387, 365, 345, 325, 307,
     290, 274, 258, 244, 230, 217, 205, 193, 183, 172, 163, 154, 145, 137, 129, 122, 115, 109},
    {814, 768, 725, 684, 646, 610, 575, 543, 513, 484, 457, 431, 407, 384, 363, 342, 323, 305,
     288, 272, 256, 242, 228, 216, 204, 192, 181, 171, 161, 152, 144, 136, 128, 121, 114, 108},
    {907, 856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453, 428, 404, 381, 360, 339,
     320, 302, 285, 269, 254, 240, 226, 214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120},
    {900, 850, 802, 757, 715, 675, 636, 601, 567, 535, 505, 477, 450, 425, 401, 379, 357, 337,
     318, 300, 284, 268, 253, 238, 225, 212, 200, 189, 179, 169, 159, 150, 142, 134, 126, 119},
    {894, 844, 796, 752, 709, 670, 632, 597, 563, 532, 502, 474, 447, 422, 398, 376, 355, 335,
     316, 298, 282, 266, 251, 237, 223, 211, 199, 188, 177, 167, 158, 149, 141, 133, 125, 118},
    {887, 838, 791, 746, 704, 665, 628, 592, 559, 528, 498, 470, 444, 419, 395, 373, 352, 332,
     314, 296, 280, 264, 249, 235, 222, 209, 198, 187, 176, 166, 157, 148, 140, 132, 125, 118},
    {881, 832, 785, 741, 699, 660, 623, 588, 555, 524, 494, 467, 441, 416, 392, 370, 350, 330,
     312, 294, 278, 262, 247, 233, 220, 208, 196, 185, 175, 165, 156, 147, 139, 131, 123, 117},
    {875, 826, 779, 736, 694, 655, 619, 584, 551, 520, 491, 463, 437, 413, 390, 368, 347, 328,
     309, 292, 276, 260, 245, 232, 219, 206, 195, 184, 174, 164, 155, 146, 138, 130, 123, 116},
    {868, 820, 774, 730, 689, 651, 614, 580, 547, 516, 487, 460, 434, 410, 387, 365, 345, 325,
     307, 290, 274, 258, 244, 230, 217, 205, 193, 183, 172, 163, 154, 145, 137, 129, 122, 115},
    {862, 814, 768, 725, 684, 646, 610, 575, 543, 513, 484, 457, 431, 407, 384, 363, 342, 323,
     305, 288, 272, 256, 242, 228, 216, 203, 192, 181, 171, 161, 152, 144, 136, 128, 121, 114},
};

// The two octaves below the tracker's: row 0 doubles and quadruples its periods; the
// other rows follow the equal-tempered curve up from their note 24, truncated, which
// keeps each row strictly falling and within a period or two of the curve.
// The two octaves above: halved and quartered, rounded down; finetune -7's top note is
// 30, nearer its curve value 29.8 than the quartering's 29.
bool build_periods()
{
    for (int f = 0; f < 16; f++) {
        std::uint16_t* row = pt_periods[f];
        const std::uint16_t* tracker = TRACKER_PERIODS[f];
        for (int i = 0; i < 36; i++)
            row[24 + i] = tracker[i];
        for (int n = 0; n < 24; n++) {
            if (f == 0)
                row[n] = static_cast<std::uint16_t>(tracker[n % 12] << (n < 12 ? 2 : 1));
            else
                row[n] = static_cast<std::uint16_t>(tracker[0] * std::pow(2.0, (24 - n) / 12.0));
        }
        for (int n = 60; n < 84; n++)
            row[n] = static_cast<std::uint16_t>(tracker[n - (n < 72 ? 36 : 48)] >> (n < 72 ? 1 : 2));
        if (f == 9)
            row[83] = 30;
        row[84] = row[83];
    }
    return true;
}

[[maybe_unused]] const bool periods_built = build_periods();

std::int32_t period_of(std::int32_t finetune, std::int32_t note)
{
    // An arpeggio can reach past the table's top note; it stays on that note.
    return pt_periods[finetune & 15][note < PT_NOTES - 1 ? note : PT_NOTES - 1];
}

// The device stops a channel on period 0; nothing below 0 is ever sent as a pitch.
void send_period(std::int32_t period) { sd_setamigaperiod(period > 0 ? period : 0); }

void volume_slide(int ch, std::uint32_t p)
{
    std::int32_t v = pt_volume[ch];
    if (p > 15)
        v += static_cast<std::int32_t>(p >> 4);
    else
        v -= static_cast<std::int32_t>(p & 15);
    v = v < 0 ? 0 : (v > 64 ? 64 : v);
    pt_volume[ch] = v;
    sd_setvolume(v);
}

void porta_step(int ch)
{
    std::int32_t& period = pt_period[ch];
    std::int32_t target = pt_noteperiod[ch];
    if (period < target) {
        period += pt_portaspeed[ch];
        if (period > target)
            period = target;
    } else if (period > target) {
        period -= pt_portaspeed[ch];
        if (period < target)
            period = target;
    }
}

void vibrato_step(int ch)
{
    send_period(pt_period[ch] + (pt_vibwave[pt_vibpos[ch]] * pt_vibdepth[ch]) / 127);
    pt_vibpos[ch] = (pt_vibpos[ch] + pt_vibspeed[ch]) & 63;
}

void tremolo_step(int ch)
{
    std::int32_t v = pt_volume[ch] + (pt_tremwave[pt_trempos[ch]] * pt_tremdepth[ch]) / 127;
    sd_setvolume(v < 0 ? 0 : (v > 64 ? 64 : v));
    pt_trempos[ch] = (pt_trempos[ch] + pt_tremspeed[ch]) & 63;
}

void retrigger(int ch, std::int32_t note)
{
    pt_period[ch] = period_of(pt_finetune[ch], note);
    sd_setvolume(pt_volume[ch]);
    send_period(pt_period[ch]);
    sd_setoffset(0);
}

// True on the row's last tick when the delay or cut reaches past it.
bool at_tick(std::uint32_t y)
{
    return pt_vbcount == y || (pt_vbcount == pt_speed - 1 && y >= pt_speed);
}

void first_tick(int ch, const std::uint8_t* cell)
{
    std::int32_t s = cell[0] < PT_SAMPLES ? cell[0] : 0;
    std::int32_t n = cell[1];
    std::uint32_t c = cell[2] & 15u;
    std::uint32_t p = cell[3];
    std::uint32_t x = p >> 4;
    std::uint32_t y = p & 15;

    if (s != 0) {
        pt_panning[ch] = 16 * pt_defaultpan[ch];
        pt_cursample[ch] = s;
        pt_volume[ch] = static_cast<std::int32_t>(pt_samplevolume[s]);
        if (c != 0xC)
            sd_setvolume(pt_volume[ch]);
        if (c != 8)
            sd_setpanning(pt_panning[ch]);
        sd_setsample(s);
    }
    if (n < PT_NO_NOTE) {
        pt_finetune[ch] = pt_samplefinetune[pt_cursample[ch]];
        pt_noteperiod[ch] = period_of(pt_finetune[ch], n);
        if (c != 3 && c != 5 && !(c == 0xE && x == 0xD)) {
            pt_period[ch] = pt_noteperiod[ch];
            send_period(pt_period[ch]);
            if (c != 9)
                sd_setoffset(0);
            pt_note[ch] = n;
        }
    }

    switch (c) {
    case 0x0:
        if (p != 0)
            send_period(period_of(pt_finetune[ch], pt_note[ch]));
        break;
    case 0x8:
        pt_panning[ch] = static_cast<std::int32_t>(p);
        sd_setpanning(static_cast<std::int32_t>(p));
        break;
    case 0x9:
        sd_setoffset(p * 256);
        break;
    case 0xB:
        pt_songpos.store(static_cast<std::int32_t>(p) - 1, std::memory_order_relaxed);
        pt_rowcount.store(63, std::memory_order_relaxed);
        break;
    case 0xC:
        pt_volume[ch] = static_cast<std::int32_t>(p);
        sd_setvolume(static_cast<std::int32_t>(p));
        break;
    case 0xD:
        // Rows past a pattern's 64 do not exist: such a break starts at row 0.
        pt_breakrow = 10 * x + y;
        if (pt_breakrow > 63)
            pt_breakrow = 0;
        pt_rowcount.store(63, std::memory_order_relaxed);
        break;
    case 0xE:
        switch (x) {
        case 0x1:
            if (pt_period[ch] > PT_PERIOD_MIN)
                send_period(--pt_period[ch]);
            break;
        case 0x2:
            if (pt_period[ch] < PT_PERIOD_MAX)
                send_period(++pt_period[ch]);
            break;
        case 0x3:
            pt_glissando[ch] = static_cast<std::int32_t>(y);
            break;
        case 0x4:
            if (y <= 3)
                pt_vibpos[ch] = 0;
            pt_vibwave = pt_waveforms[y & 3];
            break;
        case 0x5:
            pt_finetune[ch] = static_cast<std::int32_t>(y);
            break;
        case 0x6:
            if (y == 0) {
                pt_looprow[ch] = pt_rowcount.load(std::memory_order_relaxed);
            } else if (pt_loopcount[ch] == 0) {
                pt_loopcount[ch] = static_cast<std::int32_t>(y);
                pt_rowcount.store(pt_looprow[ch] - 1, std::memory_order_relaxed);
            } else if (--pt_loopcount[ch] > 0) {
                pt_rowcount.store(pt_looprow[ch] - 1, std::memory_order_relaxed);
            }
            break;
        case 0x7:
            if (y <= 3)
                pt_trempos[ch] = 0;
            pt_tremwave = pt_waveforms[y & 3];
            break;
        case 0x8:
            pt_defaultpan[ch] = static_cast<std::uint8_t>(y);
            sd_setpanning(static_cast<std::int32_t>(16 * y));
            break;
        case 0xA:
            if (pt_volume[ch] <= 63)
                sd_setvolume(++pt_volume[ch]);
            break;
        case 0xB:
            if (pt_volume[ch] > 0)
                sd_setvolume(--pt_volume[ch]);
            break;
        case 0xE:
            pt_delay[ch] = static_cast<std::int32_t>(y);
            break;
        default:
            break;
        }
        break;
    case 0xF:
        if (p <= 31)
            pt_speed = p;
        break;
    default:
        break;
    }
}

void other_tick(int ch, const std::uint8_t* cell)
{
    std::int32_t n = cell[1];
    std::uint32_t c = cell[2] & 15u;
    std::uint32_t p = cell[3];
    std::uint32_t x = p >> 4;
    std::uint32_t y = p & 15;

    switch (c) {
    case 0x0:
        if (p != 0) {
            std::uint32_t k = pt_vbcount % 3;
            std::int32_t step = static_cast<std::int32_t>(k == 0 ? 0 : (k == 1 ? x : y));
            send_period(period_of(pt_finetune[ch], pt_note[ch] + step));
        }
        break;
    case 0x1:
        pt_period[ch] -= static_cast<std::int32_t>(p);
        if (pt_period[ch] < PT_PERIOD_MIN)
            pt_period[ch] = PT_PERIOD_MIN;
        send_period(pt_period[ch]);
        break;
    case 0x2:
        pt_period[ch] += static_cast<std::int32_t>(p);
        if (pt_period[ch] > PT_PERIOD_MAX)
            pt_period[ch] = PT_PERIOD_MAX;
        send_period(pt_period[ch]);
        break;
    case 0x3:
        if (p != 0)
            pt_portaspeed[ch] = static_cast<std::int32_t>(p);
        porta_step(ch);
        if (pt_glissando[ch] == 0) {
            send_period(pt_period[ch]);
        } else {
            const std::uint16_t* row = pt_periods[pt_finetune[ch] & 15];
            int i = PT_NOTES - 1;
            while (i > 0 && row[i] < pt_period[ch])
                i--;
            send_period(row[i]);
        }
        break;
    case 0x4:
        if (y != 0)
            pt_vibdepth[ch] = static_cast<std::int32_t>(y);
        if (x != 0)
            pt_vibspeed[ch] = static_cast<std::int32_t>(x);
        vibrato_step(ch);
        break;
    case 0x5:
        porta_step(ch);
        send_period(pt_period[ch]);
        volume_slide(ch, p);
        break;
    case 0x6:
        vibrato_step(ch);
        volume_slide(ch, p);
        break;
    case 0x7:
        if (y != 0)
            pt_tremdepth[ch] = static_cast<std::int32_t>(2 * y);
        if (x != 0)
            pt_tremspeed[ch] = static_cast<std::int32_t>(x);
        tremolo_step(ch);
        break;
    case 0xA:
        volume_slide(ch, p);
        break;
    case 0xE:
        if (x == 0x9) {
            if (y != 0 && n < PT_NO_NOTE && pt_vbcount % y == 0)
                retrigger(ch, n);
        } else if (x == 0xC) {
            if (at_tick(y))
                sd_setvolume(0);
        } else if (x == 0xD) {
            if (n < PT_NO_NOTE && at_tick(y)) {
                pt_note[ch] = n;
                retrigger(ch, n);
            }
        }
        break;
    default:
        break;
    }
}

// Moves to the next row; false when a pattern delay swallows this row start.
bool row_start()
{
    pt_vbcount = 0;
    bool delayed = false;
    for (std::uint32_t ch = 0; ch < pt_channels; ch++) {
        if (pt_delay[ch] > 0) {
            pt_delay[ch]--;
            delayed = true;
        }
    }
    if (delayed)
        return false;
    std::int32_t row = pt_rowcount.load(std::memory_order_relaxed) + 1;
    std::int32_t pos = pt_songpos.load(std::memory_order_relaxed);
    bool wrapped = row > 63;
    if (wrapped) {
        pos++;
        row = static_cast<std::int32_t>(pt_breakrow);
        pt_breakrow = 0;
    }
    // A jump whose row a later channel's pattern loop took back leaves its position
    // unwrapped (-1 to 254); like any other position outside the song it restarts.
    if (pos < 0 || pos >= pt_songlength)
        pos = static_cast<std::int32_t>(pt_restart);
    // Loops started on a row count already taken back by another channel's loop
    // can reach above the pattern's first row.
    if (row < 0)
        row = 0;
    pt_curpattern = pt_order[pos];
    pt_lineptr = pt_patterns[pt_curpattern] + static_cast<std::uint32_t>(row) * pt_channels * 4;
    pt_songpos.store(pos, std::memory_order_relaxed);
    pt_rowcount.store(row, std::memory_order_relaxed);
    pt_lastrowstart = {pt_lastrowstart.count + 1, pos, row, wrapped};
    return true;
}

}  // namespace

void pt_init()
{
    for (std::int32_t* a : {pt_cursample, pt_volume, pt_period, pt_noteperiod, pt_note, pt_finetune,
                            pt_panning, pt_portaspeed, pt_glissando, pt_vibpos, pt_vibspeed,
                            pt_vibdepth, pt_trempos, pt_tremspeed, pt_tremdepth, pt_loopcount,
                            pt_looprow, pt_delay}) {
        for (int ch = 0; ch < PT_CHANNELS_MAX; ch++)
            a[ch] = 0;
    }
    pt_songpos.store(-1, std::memory_order_relaxed);
    pt_rowcount.store(63, std::memory_order_relaxed);
    pt_vbcount = 5;
    pt_speed = 6;
    pt_curpattern = 0;
    pt_breakrow = 0;
    pt_lastrowstart = {};
    pt_vibwave = pt_sine;
    pt_tremwave = pt_sine;
    for (int i = 0; i < 64; i++) {
        int r = std::rand();
        pt_ramp[i] = static_cast<std::int16_t>(255 - 8 * i);
        pt_random[i] = static_cast<std::int16_t>((r % 511) - 256);
    }
}

void pt_play()
{
    // Nothing is loaded before the first successful load, or after a failed one.
    if (pt_channels == 0 || (pt_speed == 0 && pt_lineptr == nullptr))
        return;
    if (pt_speed != 0) {
        pt_vbcount++;
        if (pt_vbcount >= pt_speed && !row_start())
            return;
    }
    for (std::uint32_t ch = 0; ch < pt_channels; ch++) {
        const std::uint8_t* cell = pt_lineptr + 4 * ch;
        sd_selectchannel(static_cast<std::int32_t>(ch));
        if (pt_vbcount == 0)
            first_tick(static_cast<int>(ch), cell);
        else
            other_tick(static_cast<int>(ch), cell);
    }
}
