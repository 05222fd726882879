#pragma once
// A date or time field that takes a value typed as it reads ("15:45:00", "07/01/2009 08:30:15"), whatever
// was selected or clicked before. Left alone, the toolkit's field skips a section when a separator follows
// the digits that filled the section before it (it has moved on by itself), and digits typed over the whole
// text, or at a place clicked in a section, go astray.

class QDateTimeEdit;

namespace vyx {

// Watches the field's keys and mouse from now on; the field owns what it installs.
void TypeDateTimeAsItReads(QDateTimeEdit* edit);

}  // namespace vyx
