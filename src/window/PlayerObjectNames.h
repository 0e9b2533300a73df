#pragma once

#include <QLatin1String>
#include <array>

// The objectName of every part of the player's windows, each declared once.
// The names are what accessibility, the trace and the tests find the parts
// by, so the strings stay exactly as they are, spelling included; the
// identifiers say what each part is.
namespace PlayerObjectNames {

// The main window.
namespace Main {
inline constexpr QLatin1String Window{"OndelPlayer"}; // the window and its bare background
inline constexpr QLatin1String TickTimer{"Timer1"};

inline constexpr QLatin1String TopEdge{"Image6"};
inline constexpr QLatin1String LeftEdge{"Image7"};
inline constexpr QLatin1String RightEdge{"Image8"};
inline constexpr QLatin1String BottomEdge{"Image9"};
inline constexpr QLatin1String TitlePlate{"Image1"};
inline constexpr QLatin1String DisplayFrameTop{"Image2"};
inline constexpr QLatin1String DisplayFrameBottom{"Image3"};
inline constexpr QLatin1String DisplayFrameLeft{"Image4"};
inline constexpr QLatin1String DisplayFrameRight{"Image5"};

inline constexpr QLatin1String DisplayPanel{"Shape3"};
// Each mode lamp is a dim picture with its lit twin on top.
inline constexpr QLatin1String NormalLamp{"NORMALImage1"};
inline constexpr QLatin1String NormalLampLit{"NORMALImage0"};
inline constexpr QLatin1String RepeatLamp{"REPEATImage1"};
inline constexpr QLatin1String RepeatLampLit{"REPEATImage0"};
inline constexpr QLatin1String RandomLamp{"RANDOMImage1"};
inline constexpr QLatin1String RandomLampLit{"RANDOMImage0"};
// Track, minutes and seconds, left to right.
inline constexpr std::array<QLatin1String, 6> Digits{
    QLatin1String("ClockDisp1"), QLatin1String("ClockDisp2"), QLatin1String("ClockDisp3"),
    QLatin1String("ClockDisp4"), QLatin1String("ClockDisp5"), QLatin1String("ClockDisp6")};
inline constexpr QLatin1String UpperColonDot{"Shape1"};
inline constexpr QLatin1String LowerColonDot{"Shape2"};

inline constexpr QLatin1String PowerButton{"Power1"};
inline constexpr QLatin1String MinimizeButton{"MinimizeButtom1"};
inline constexpr QLatin1String EjectButton{"Eject1"};
inline constexpr QLatin1String ModeButton{"SetMode"};
inline constexpr QLatin1String RewindButton{"Rew"};
inline constexpr QLatin1String PlayButton{"Play"};
inline constexpr QLatin1String StopButton{"Stop"};
inline constexpr QLatin1String FastForwardButton{"FF"};
inline constexpr QLatin1String ExtendButton{"ExtendedButtom1"};
// The extended row, shown while ExtendButton is down.
inline constexpr QLatin1String EditorButton{"GoSongEditer"};
inline constexpr QLatin1String CompileButton{"Compile"};
inline constexpr QLatin1String RelationButton{"Relation"};
inline constexpr QLatin1String LyricsButton{"WordsOn1"};
} // namespace Main

// The main window's popup menu, which mini mode shares.
namespace Menu {
inline constexpr QLatin1String Menu{"PopupMenu1"};
inline constexpr QLatin1String Play{"RMenuPlay"};
inline constexpr QLatin1String Stop{"RMenuStop"};
inline constexpr QLatin1String Rewind{"RMenuRew"};
inline constexpr QLatin1String FastForward{"RMenuFF"};
inline constexpr QLatin1String Eject{"RMenuEject"};
inline constexpr QLatin1String ModeMenu{"RMenuModeMenu"};
inline constexpr QLatin1String Mode{"RMenuMode"};
inline constexpr QLatin1String ModeNormal{"RMenuModeNormal"};
inline constexpr QLatin1String ModeRepeat{"RMenuModeRepeat"};
inline constexpr QLatin1String ModeRepeatAll{"RMenuModeAllRepeat"};
inline constexpr QLatin1String ModeRandom{"RMenuModeRandom"};
inline constexpr QLatin1String FirstSeparator{"N0"};
inline constexpr QLatin1String ScriptEditor{"RMenuRizuzAvodar"};
inline constexpr QLatin1String SetRhythm{"RMenuSetRhythm"};
inline constexpr QLatin1String Relate{"RMenuRelate"};
inline constexpr QLatin1String LyricsOn{"RMenuWordsOn"};
inline constexpr QLatin1String SecondSeparator{"N1"};
inline constexpr QLatin1String MiniMode{"RMenuResize"};
inline constexpr QLatin1String Minimize{"RMenuMinimize"};
inline constexpr QLatin1String Version{"RMenuVersion"};
inline constexpr QLatin1String Quit{"RMenuQuit"};
} // namespace Menu

// The mini mode strip.
namespace Mini {
inline constexpr QLatin1String Window{"MiniCDPlayer"};
inline constexpr std::array<QLatin1String, 6> Digits{
    QLatin1String("DigitalDisplay1"), QLatin1String("DigitalDisplay2"), QLatin1String("DigitalDisplay3"),
    QLatin1String("DigitalDisplay4"), QLatin1String("DigitalDisplay5"), QLatin1String("DigitalDisplay6")};
inline constexpr QLatin1String UpperColonDot{"Shape1"};
inline constexpr QLatin1String LowerColonDot{"Shape2"};
inline constexpr QLatin1String TopEdge{"Shape3"};
inline constexpr QLatin1String LeftEdge{"Shape4"};
inline constexpr QLatin1String BottomEdge{"Shape5"};
inline constexpr QLatin1String RightEdge{"Shape6"};
} // namespace Mini

} // namespace PlayerObjectNames
