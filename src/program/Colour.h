#pragma once
// The colours operations give controls: pass and fail verdicts, the waiting
// yellow, the judged-later grey, and the two system colours a control returns to.

enum class Colour { Window, ButtonFace, Green, Red, Yellow, Grey, White };
