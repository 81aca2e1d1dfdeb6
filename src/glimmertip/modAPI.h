#pragma once

// What the component asks of the platform.
namespace modAPI {

// The platform's major version; 0 when it cannot be asked. Layered (translucent) windows need 5.
long GetWindowsMajorVersion();

}  // namespace modAPI
