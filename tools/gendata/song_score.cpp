// The soundtrack's score: tracker-style text that the module writer reads at generation time.
// Edit a note here and rebuild; the generator reports the line of anything it cannot read.
#include "tools/gendata/song.h"

const char* song_score()
{
    return R"score(
# Quendal, the soundtrack. A minor, 125 beats a minute (speed 6, 50 ticks a second), four rows
# a beat, sixteen rows (one bar) a line.
#
# Rows: "." empty; "^" silence (volume 0); a note such as A-3 or C#4 (index = 12 x octave +
# semitone, C-3 is period 428) played by the track's instrument, or NOTE@instrument; an
# instrument alone plays its own note (the drums); ":EFF" adds a tracker effect, three hex
# digits (command, parameter), after a note or alone. "@ROW" at the start of a line moves to
# that row; "use TRACK" copies another track in at the current row.
# A track reference may add +N/-N (semitones), @INSTRUMENT, >N (delay by N rows) and %VV (hex
# volume for its plain notes). A pattern stacks one reference a channel; A&B lays B's filled
# rows over A, A|B hands the channel to B from
# B's first filled row on; "-" is a silent channel. Tracks repeat to fill 64 rows.
#
# Instruments: k kick, s snare, cl clap, hc/ho closed/open hat, cr crash, sw noise sweep,
# bass, lead, min/maj string chord (minor/major, root on the note), pl pluck, bell.
# Channels: 0 kick, 1 snare, 2 hats, 3 bass, 4 chords, 5 lead, 6 pluck and bell, 7 crash,
# sweep and echoes.

# ---- drums
track kbreak
k . . . . . . . k . k . . . . .
track kfloor
k . . .
track khalf
k . . . . . . . . . k . . . . .
track kfunk
k . . . . . k . . . k . . . . .
track sback
. . . . s . . . . . . . s . . .
track shalf
. . . . . . . . s . . . . . . .
track clback
. . . . cl . . . . . . . cl . . .
track clfunk
. . . . cl . . s:C10 . . . . cl . s:C0C .
track h8
hc . hc:C10 .
track h8soft
hc:C0E . hc:C0A .
track h16
hc hc:C0C hc:C14 hc:C0C
track hgroove
hc hc:C0C ho hc:C0C
track hcut                     # mechanical sixteenths, open hat cut short
hc hc:C0C ho:EC2 hc:C0C

# fills, each leading into the next pattern
track fill_s
@56 s:C18 . s:C1C . s:C20 s s:E93 s:E92
track fill_roll
@48 s:C08 . s:C0C . s:C10 . s:C14 . s:C18 s:C18 s:C1C s:C1C s:C20 s:E93 s:E92 s:E92
track fill_tom
@60 A-4@k E-4@k C-4@k G-3@k
track fill_flam
@60 s . s:ED3 s:E93
track kfill_build
@48 k . . . k . . . k . k . k k k k
track kfill_fast               # the fill before 2000 runs at double speed
@48 k . . . k . . . k . k . k:F03 k k k
track kspeed6
k:F06
@63 .
track kdelay63                # the last row of the build lasts two rows
@63 k:EE1
track kstop                    # kick drops out for the last bar
@48 ^
@63 .
track sstop
@48 ^
@63 .

# crashes and sweeps
track cr0
cr
@63 .
track cr_acc                   # accents on rows 0, 16 and 32
cr
@16 cr
@32 cr
@63 .
track cr32
@32 cr
@63 .
track cr48
@48 cr
@63 .
track sw48
@48 sw . . . . . . . :101 :101 :101 :101 :101 :101 :101 :101
track sw32
@32 sw
@63 .

# ---- bass
track b1 bass
A-2 . . A-2 . . A-3 . A-2 . . A-2 . . A-3 .
track bAFCG
use b1
use b1-4
use b1+3
use b1-2
track bAFDE
use b1
use b1-4
use b1-7
use b1-5
track bp1 bass                 # off-beat pump under a four-on-the-floor kick
. . A-2 A-2:EC3 . . A-2 A-2:EC3 . . A-2 A-2:EC3 . . A-3 A-2:EC3
track bpAFCG
use bp1
use bp1-4
use bp1+3
use bp1-2
track bpAFDE
use bp1
use bp1-4
use bp1-7
use bp1-5
track bLong bass
A-2 . . . . . . . . . . . . . . .
F-2 . . . . . . . . . . . . . . .
C-3 . . . . . . . . . . . . . . .
G-2 . . . . . . . . . . . . . . .
track bf1 bass                 # funk bar with slides into the last notes
D-2 . . D-2 . . D-3 . . D-2 . . C-3:310 . A-2:310 .
track bfunk
use bf1
use bf1+7
use bf1+3
use bf1+2
track bbridge bass
@48 E-2 . . . . . . . G-2:308 . . . E-2:308 . . .
track bDive bass               # the bass sinks under the break
@56 E-3 :202 :202 :202 :202 :202 :202 :202
track cut0                     # silence what the song's end leaves sounding
^
@63 .
track b_up bass                # the lift: the bass line an octave up in the last bar
@48 G-3 . G-2 . G-3 . G-2 . G-3 G-3 G-2 G-2 G-3 G-3 G-3 G-3

# ---- chords
track cAFCG
A-3@min . . . . . . . . . . . . . . .
F-3@maj . . . . . . . . . . . . . . .
C-4@maj . . . . . . . . . . . . . . .
G-3@maj . . . . . . . . . . . . . . .
track cAFDE
A-3@min . . . . . . . . . . . . . . .
F-3@maj . . . . . . . . . . . . . . .
D-4@min . . . . . . . . . . . . . . .
E-3@maj . . . . . . . . . . . . . . .
track cIntro                   # the first chord swells in, one volume step a row
A-3@min:C0A :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0
F-3@maj:C14 :EA0 :EA0 :EA0 . . . . . . . . . . . .
C-4@maj . . . . . . . . . . . . . . .
G-3@maj . . . . . . . . . . . . . . .
track cStab                    # hits on the accents, settling into a held chord
A-3@min:C34 . :A04 . . . . . . . . . . . . .
F-3@maj:C34 . :A04 . . . . . . . . . . . . .
C-4@maj:C34 . :A04 . . . . . . . . . . . . .
G-3@maj . . . . . . . . . . . . . . .
track cFunk                    # off-beat stabs; the sample offset skips the chord's fade-in
. . D-4@min:903 . ^ . D-4@min:903 . . . D-4@min:903 . ^ . . .
. . A-3@min:903 . ^ . A-3@min:903 . . . A-3@min:903 . ^ . . .
. . F-3@maj:903 . ^ . F-3@maj:903 . . . F-3@maj:903 . ^ . . .
. . E-3@maj:903 . ^ . E-3@maj:903 . . . E-3@maj:903 . . . . .
track cBridge
@48 E-3@maj:C10 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0 :EA0
track cSwell
@48 E-3@maj:C0C :A10 . :A10 . :A10 . :A10 . . . . . . . .
track cHit48                   # one hit on row 48 with the attack skipped
@48 E-3@maj:903
@63 .

# ---- melodies
track tA1 lead
A-3 . . . C-4 . E-4 . D-4 . . C-4 . . D-4 .
track tA2 lead
C-4 . :443 :400 :400 :400 A-3 . C-4 . . . F-4 . E-4 .
track tA3 lead
D-4 . . . F-4 . E-4 . D-4 . . C-4 . . B-3 .
track tA4 lead
G#3 . . . B-3 . . . E-4 . :443 :400 :400 :400 :400 :400
track tB1 lead
A-3 . . . C-4 . E-4 . A-4 . . G-4 . . E-4 .
track tB2 lead
F-4 . :443 :400 :400 :400 E-4 . C-4 . . . A-3 . C-4 .
track tB3 lead
D-4 . . . C-4 . B-3 . A-3 . . B-3 . . C-4 .
track tB4 lead
B-3 . C-4 . B-3 . G#3 . E-3 . :443 :400 :400 :400 :400 :400
track themeA
use tA1
use tA2
use tA3
use tA4
track themeB
use tB1
use tB2
use tB3
use tB4
track themeA_front             # bars 1-2 of the theme, rows 32-63 resting
use tA1
use tA2
@32 ^
@63 .
track themeA_back
@32
use tA3
use tA4
track themeB_front
use tB1
use tB2
@32 ^
@63 .
track themeB_back
@32
use tB3
use tB4
track leadHold lead            # a long note with vibrato over the break
@48 E-4 . :443 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400 :C10 :C08
track leadBridge lead
@48 B-3 . :443 :400 :400 :400 :400 :400 C-4:303 :400 :400 :400 B-3:303 :400 :400 ^
track leadCut
@48 ^
@63 .
track riffDrive lead           # the drive section's staccato riff
E-4:EC3 . E-4:EC3 . D-4:EC3 . C-4 . . . A-3:EC3 . C-4 . . .
C-4:EC3 . C-4:EC3 . A-3:EC3 . F-3 . . . A-3:EC3 . C-4 . . .
E-4:EC3 . E-4:EC3 . G-4:EC3 . E-4 . . . C-4:EC3 . E-4 . . .
D-4 . :443 :400 :400 :400 B-3 . G-3 . . . B-3 . D-4 .
track arp_m lead
A-3:037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037 :037
track arp_M lead
A-3:047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047 :047
track arpAFCG                  # chip arpeggios of the progression
use arp_m
use arp_M-4
use arp_M+3
use arp_M-2
track callGear lead            # the gears' call, rows 0-31
E-4 . E-4 . D-4 . C-4 . D-4 . . . E-4 . . .
C-4 . C-4 . B-3 . A-3 . B-3 . . . C-4 . :443 ^
@63 .
track respGear bell            # and its answer, rows 32-63
@32 F-4 . F-4 . E-4 . D-4 . E-4 . . . F-4 . . .
E-4 . . . D-4 . . . B-3 . . . G#3 . . .
track callFunk lead            # the balls' call with slides
^
@16 A-3 . . C-4:320 . . . D-4:320 . . . E-4 . :443 :400 ^
@48 G#3 . . . B-3:318 . . . E-4:318 . :443 :400 :400 :400 . ^

# ---- plucks and bells
track pl_m pl                  # broken minor chord in eighths
A-3 . C-4 . E-4 . C-4 . A-3 . C-4 . E-4 . A-4 .
track pl_M pl
A-3 . C#4 . E-4 . C#4 . A-3 . C#4 . E-4 . A-4 .
track plAFCG
use pl_m
use pl_M-4
use pl_M-9
use pl_M-2
track plAFDE
use pl_m
use pl_M-4
use pl_m-7
use pl_M-5
track pl16_m pl                # sixteenths for the climax
A-3 C-4 E-4 A-4 E-4 C-4 A-3 C-4 E-4 A-4 E-4 C-4 A-3 C-4 E-4 C-4
track pl16_M pl
A-3 C#4 E-4 A-4 E-4 C#4 A-3 C#4 E-4 A-4 E-4 C#4 A-3 C#4 E-4 C#4
track pl16AFDE
use pl16_m
use pl16_M-4
use pl16_m-7
use pl16_M-5
track pl16funk                 # the same over the balls' chords
use pl16_m-7
use pl16_m
use pl16_M-4
use pl16_M-5
track pl_from1 pl              # the stripes' layer starts on row 1
@1 C-4 . E-4 . A-3 . C-4 . E-4 . A-4 . E-4 . C-4
use pl_M-4
use pl_m-7
use pl_M-5
track introBell bell
. . . . . . . . . . . . . . . .
A-3 . . . C-4 . E-4 . D-4 . . C-4 . . . .
. . . . . . . . . . . . . . . .
C-4 . . . E-4 . G-4 . F-4 . . E-4 . . D-4 .
track introBell2 bell
A-3 . . . C-4 . E-4 . D-4 . . C-4 . . D-4 .
C-4 . . . . . A-3 . C-4 . . . . . . .
C-4 . . . E-4 . G-4 . F-4 . . E-4 . . D-4 .
D-4 . . . . . B-3 . D-4 . . . G-4 . F-4 .
track bellB bell               # second voice of the alternation, rows 32-63
@32 G-4 . E-4 . C-4 . . . D-4 . E-4 . . . C-4 .
D-4 . . . B-3 . . . G-3 . . . B-3 . D-4 .

# ---- the sparse passage
track spKick14
@16 k . . . . . . . k . . . . . . .
k . . . . . . .
@63 .
track spHat14
@16 hc:C0E . hc:C0A . hc:C0E . hc:C0A . hc:C0E . hc:C0A . hc:C0E . ho .
hc:C0E . hc:C0A . hc:C0E . ho .
@63 .
track spBass14 bass
@16 A-2 . . . . . . . F-2 . . . . . . .
E-2 . . . . . . ^
@63 .
track spPad14                  # the phrase's chord, fading to a murmur after it
@16 A-3@min:C14
@40 :EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 .
:EB0 . :EB0 . :EB0 . :EB0 .
track spBell14 bell
@16 E-4 . . . D-4 . C-4 . . . D-4 . . . E-4 .
A-3 . . . . . . .
@63 .
track spLead14 lead
@16 ^
@24 A-3:C10 . :443 :400 :400 :400 . . C-4:303 :400 :400 :400 :400 :400 ^
@63 .
track spPhrase15k              # rows 0-7, 16-23, 32-39, 48-55 play; the rest holds
k . . . . . k . ^ . . . . . . .
track spPhrase15b bass
A-2 . . . A-3 . A-2 . ^ . . . . . . .
track spPhrase15h
hc . hc:C0C . hc . ho . ^ . . . . . . .
track spBell15 bell
A-3 . C-4 . E-4 . . . . . . . . . . .
C-4 . E-4 . G-4 . . . . . . . . . . .
D-4 . F-4 . A-4 . . . . . . . . . . .
B-3 . D-4 . E-4 . . . . . . . . . . .
track spPad15
A-3@min:C10
@63 .

# ---- the end
track outroPad
F-3@maj . . . . . . . . . . . . . . .
G-3@maj . . . . . . . . . . . . . . .
A-3@min . . . . . . . . . . . . . . .
. . . . . . . . . . . . . . . .
track outroBass bass
F-2 . . . . . . . . . . . . . . .
G-2 . . . . . . . . . . . . . . .
A-2 . . . . . . . . . . . . . . .
. . . . . . . . . . . . . . . .
track outroKick
k . . . . . . . k:C28 . . . . . . .
k:C24 . . . . . . . k:C20 . . . . . . .
k:C1C . . . . . . . . . . . . . . .
. . . . . . . . . . . . . . . .
track outroBell bell
A-3 . . . C-4 . . . E-4 . . . D-4 . . .
C-4 . . . . . . . B-3 . . . . . . .
A-3 . . . . . . . . . . . . . . .
E-4 . . . D-4 . . . C-4 . . . B-3 . . .
track finalPad                 # last cadence: D minor, E major, then A minor rings out
D-4@min . . . . . . . . . . . . . . .
E-3@maj . . . . . . . . . . . . . . .
A-3@min:C20 . . . . . . . . . . . . . . .
:EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0 :EB0
track finalBass bass
D-2 . . . . . . . . . . . . . . .
E-2 . . . . . . . . . . . . . . .
A-2 . . . . . . . . . . . . . . .
:EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 . :EB0 .
track finalLead lead
F-4 . . . E-4 . . . D-4 . . . C-4 . . .
B-3 . . . . . . . G#3 . . . B-3 . . .
A-3 . :443 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400 :400
:EB0 :400 :EB0 :400 :EB0 :400 :EB0 :400 :EB0 :400 :EB0 :400 :EB0 :400 :EB0 :400
track finalBell bell
@32 A-4 . . . . . . . E-4 . . . . . . .
A-3
@63 .
track finalKick
k . . . . . . . k . . . . . . .
k . . . . . . . k . k . k . k k
k:C30
@63 .
track finalCr
@32 cr:C20
@63 .

# ---- patterns: channels kick, snare, hats, bass, chords, lead, pluck/bell, fx
#       kick              snare              hats          bass              chords          lead              pluck/bell         fx
# 0: intro, the chords swell in under the bell
pattern 0  -                -                  -             cut0              cIntro          cut0               introBell          introBell>3%0A
# 1: bass and hats join; the sweep and a snare pickup lead into 200
pattern 1  -                fill_s             h8soft        bLong             cAFCG           -                 introBell2         sw48
# 2: the hit at 200, a half-time groove
pattern 2  khalf            shalf              h8            bAFCG             cAFCG           -                 plAFCG             cr0
# 3: the groove, then at 348 a bridge on the dominant and a roll into 400
pattern 3  khalf|kstop|fill_tom  shalf|sstop|fill_flam  h8  bAFCG|bbridge  cAFCG|cBridge  leadBridge  plAFCG|leadCut@pl  sw48
# 4-5: the drive, accents on rows 0, 16, 32; at 548 the build into the fire
pattern 4  kbreak           sback              h16           bAFCG             cStab           riffDrive         plAFCG%18          cr_acc
pattern 5  kbreak|kfill_build&kdelay63  sback|fill_roll  h16          bAFCG|b_up        cStab           riffDrive|leadCut  plAFCG%18         cr_acc|sw48
# 6-7: the groove, a kick every four rows; at 700 the chip arpeggios
pattern 6  kfloor           clback|fill_s      hgroove       bpAFCG            cAFCG%14        -                 plAFCG%14          cr0
pattern 7  kfloor           clback|fill_roll   hgroove       bpAFCG            cAFCG%14        arpAFCG%18        plAFCG%14          sw48
# 8-11: the main theme; at 1001 the plucks enter; at 1148 the break
pattern 8  kfloor           sback              hgroove       bAFDE             cAFDE           themeA            plAFDE%14          cr0
pattern 9  kfloor           sback|fill_s       hgroove       bAFDE             cAFDE           themeB            plAFDE%14          themeB>3%0C
pattern 10 kfloor           sback              hgroove       bAFDE             cAFDE           themeA            pl_from1          cr0
pattern 11 kfloor|kstop     sback|sstop|fill_flam  hgroove   bAFDE|bDive         cAFDE|cSwell    themeB|leadHold   plAFDE%14|leadCut@pl  sw48
# 12-13: the balls' groove; at 1348 the lift
pattern 12 kfunk            clfunk             h16           bfunk             cFunk           callFunk          -                  cr0
pattern 13 kfunk|kfill_build  clfunk|fill_roll  h16          bfunk|b_up-3        cFunk           callFunk          pl16funk%10        sw48
# 14-15: the sparse passage
pattern 14 spKick14         -                  spHat14       spBass14          spPad14         spLead14          spBell14           -
pattern 15 spPhrase15k      -                  spPhrase15h   spPhrase15b       spPad15         -                 spBell15           spBell15>2%0A
# 16-19: the gears, call and response; 1648 an accent, 1800 the lift
pattern 16 kfloor           sback              hcut          bpAFDE            cAFDE&cHit48    callGear          respGear           cr0&cr48
pattern 17 kfloor           sback|fill_s       hcut          bpAFDE            cAFDE           callGear          respGear           respGear>3%0A
pattern 18 kfloor           sback              hgroove       bAFDE             cAFDE           callGear          respGear           cr0
pattern 19 kfloor|kfill_fast  sback|fill_roll  hgroove      bAFDE|b_up-3        cAFDE           callGear          respGear           sw48
# 20-23: two voices by half pattern; 2200 the climax
pattern 20 kbreak&kspeed6        sback              h16           bAFCG             cAFCG           themeB_front      bellB              cr0
pattern 21 kbreak           sback|fill_s       h16           bAFCG             cAFCG           themeB_front      bellB              bellB>3%0A
pattern 22 kfloor           sback&cr0&cr32     hgroove       bAFDE             cAFDE%22        themeA_front      themeA_back@bell   pl16AFDE%0C
pattern 23 kfloor|kstop     sback|fill_roll    hgroove       bAFDE             cAFDE%22        themeB_front      themeB_back@bell   pl16AFDE%0C
# 24-25: the outro, ending on A minor by 2548
pattern 24 outroKick        -                  -             outroBass         outroPad        -                 outroBell          cr0
pattern 25 finalKick        -                  -             finalBass         finalPad        finalLead         finalBell          finalCr

order 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25
)score";
}
