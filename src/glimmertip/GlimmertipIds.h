#pragma once

// The component's identity. Hosts' saved windows and the per-user registry refer to these
// values: they were chosen once and must never change.
namespace GlimmertipIds {

inline constexpr const char* kProgID = "Tolv_Glimmertip.PelGlimmertip";
inline constexpr const char* kTypeLibName = "Tolv_Glimmertip";
inline constexpr const char* kTypeLibVersion = "1.0";

inline constexpr const char* kLIBID_Tolv_Glimmertip = "{2FA851A0-CD70-47DA-B94D-FF0F0D9218F7}";
inline constexpr const char* kCLSID_PelGlimmertip = "{B96C8455-5175-4FE6-9570-FB4CA6671E1E}";
inline constexpr const char* kIID__PelGlimmertip = "{8FF2F1A6-20B0-4D83-8C9F-180E630ABE28}";
inline constexpr const char* kDIID___PelGlimmertip = "{FA72966D-DDE5-4FEB-A348-EAE429D3E865}";
inline constexpr const char* kSchemeEnumId = "{2FCD35C1-42F2-4328-BE84-95476A578F17}";
inline constexpr const char* kIconEnumId = "{7B3A4565-643B-4664-8B97-7724674E79AF}";

// Dispatch ids of _PelGlimmertip. A property's get and set share one id.
enum DispId : int {
    DISPID_X = 1,
    DISPID_Y = 2,
    DISPID_PositionAtCursor = 3,
    DISPID_Scheme = 4,
    DISPID_Icon = 5,
    DISPID_Title = 6,
    DISPID_Body = 7,
    DISPID_CanFade = 8,
    DISPID_BorderStyle = 9,
    DISPID_FillStyle = 10,
    DISPID_FillColor = 11,
    DISPID_TitleColor = 12,
    DISPID_BodyColor = 13,
    DISPID_BorderColor = 14,
    DISPID_Opacity = 15,
    DISPID_Fade = 16,
    DISPID_FadeDelay = 17,
    DISPID_CloseOnMouseMove = 18,
    DISPID_CloseOnMouseClick = 19,
    DISPID_Show = 20,
    DISPID_ABOUTBOX = -552,
};

}  // namespace GlimmertipIds
