// The component library's palette page "KVC": its components, and the window framework's
// shell-browsing controls that the library offers beside them. The property grid is left
// off the palette.
#pragma once

namespace Kvc {
void Register();
}  // namespace Kvc
