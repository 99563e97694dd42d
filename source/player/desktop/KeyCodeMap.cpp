#include "KeyCodeMap.h"

namespace {
constexpr int kSpecial = 0x01000000;
}

std::map<OIS::KeyCode, int> keyCodeMap = {
    // Printable keys: the character itself.
    {OIS::KC_GRAVE, 0x60},
    {OIS::KC_1, '1'}, {OIS::KC_2, '2'}, {OIS::KC_3, '3'}, {OIS::KC_4, '4'}, {OIS::KC_5, '5'},
    {OIS::KC_6, '6'}, {OIS::KC_7, '7'}, {OIS::KC_8, '8'}, {OIS::KC_9, '9'}, {OIS::KC_0, '0'},
    {OIS::KC_MINUS, 0x2D}, {OIS::KC_EQUALS, 0x3D},
    {OIS::KC_Q, 'Q'}, {OIS::KC_W, 'W'}, {OIS::KC_E, 'E'}, {OIS::KC_R, 'R'}, {OIS::KC_T, 'T'},
    {OIS::KC_Y, 'Y'}, {OIS::KC_U, 'U'}, {OIS::KC_I, 'I'}, {OIS::KC_O, 'O'}, {OIS::KC_P, 'P'},
    {OIS::KC_A, 'A'}, {OIS::KC_S, 'S'}, {OIS::KC_D, 'D'}, {OIS::KC_F, 'F'}, {OIS::KC_G, 'G'},
    {OIS::KC_H, 'H'}, {OIS::KC_J, 'J'}, {OIS::KC_K, 'K'}, {OIS::KC_L, 'L'},
    {OIS::KC_Z, 'Z'}, {OIS::KC_X, 'X'}, {OIS::KC_C, 'C'}, {OIS::KC_V, 'V'}, {OIS::KC_B, 'B'},
    {OIS::KC_N, 'N'}, {OIS::KC_M, 'M'},
    {OIS::KC_LBRACKET, 0x5B}, {OIS::KC_RBRACKET, 0x5D}, {OIS::KC_BACKSLASH, 0x5C},
    {OIS::KC_SEMICOLON, 0x3B}, {OIS::KC_APOSTROPHE, 0x27}, {OIS::KC_COMMA, 0x2C},
    {OIS::KC_PERIOD, 0x2E}, {OIS::KC_SLASH, 0x2F}, {OIS::KC_SPACE, 0x20},
    // Four numeric-pad keys share the main keys' characters; its digits do not.
    {OIS::KC_DIVIDE, 0x2F}, {OIS::KC_MULTIPLY, 0x2A}, {OIS::KC_SUBTRACT, 0x2D}, {OIS::KC_ADD, 0x2B},
    // Special keys.
    {OIS::KC_ESCAPE, kSpecial + 0x00}, {OIS::KC_TAB, kSpecial + 0x01},
    {OIS::KC_NUMPADENTER, kSpecial + 0x05}, {OIS::KC_INSERT, kSpecial + 0x06},
    {OIS::KC_DELETE, kSpecial + 0x07}, {OIS::KC_HOME, kSpecial + 0x10}, {OIS::KC_END, kSpecial + 0x11},
    {OIS::KC_LEFT, kSpecial + 0x12}, {OIS::KC_UP, kSpecial + 0x13}, {OIS::KC_RIGHT, kSpecial + 0x14},
    {OIS::KC_DOWN, kSpecial + 0x15}, {OIS::KC_LSHIFT, kSpecial + 0x20},
    {OIS::KC_LCONTROL, kSpecial + 0x21}, {OIS::KC_LMENU, kSpecial + 0x23},
    {OIS::KC_CAPITAL, kSpecial + 0x24},
    {OIS::KC_F1, kSpecial + 0x30}, {OIS::KC_F2, kSpecial + 0x31}, {OIS::KC_F3, kSpecial + 0x32},
    {OIS::KC_F4, kSpecial + 0x33}, {OIS::KC_F5, kSpecial + 0x34}, {OIS::KC_F6, kSpecial + 0x35},
    {OIS::KC_F7, kSpecial + 0x36}, {OIS::KC_F8, kSpecial + 0x37}, {OIS::KC_F9, kSpecial + 0x38},
    {OIS::KC_F10, kSpecial + 0x39}, {OIS::KC_F11, kSpecial + 0x3A}, {OIS::KC_F12, kSpecial + 0x3B},
};

int toolKeyCode(OIS::KeyCode kc) { return keyCodeMap[kc]; }
