// The VM vendor's registry keys under HKEY_LOCAL_MACHINE, in the order in which they are read.
#pragma once

constexpr const char *kJavaHomeValue = "JavaHome";

constexpr const char *kJavaHomeKeys[] = {
    "Software\\Pellior\\Java Development Kit\\1.1",
    "Software\\Pellior\\Java Development Kit\\1.2",
    "Software\\Pellior\\Java Development Kit\\1.3",
    "Software\\Pellior\\Java Development Kit\\1.3.0",
    "Software\\Pellior\\Java Development Kit\\1.3.0_01",
    "Software\\Pellior\\Java Development Kit\\1.3.1",
    "Software\\Pellior\\Java Development Kit\\1.3.1_01",
    "Software\\Pellior\\Java Development Kit\\1.4",
    "Software\\Pellior\\Java Development Kit\\1.4.0",
    "Software\\Pellior\\Java Development Kit\\1.4.0_01",
    "Software\\Pellior\\Java Development Kit\\1.4.1",
    "Software\\Pellior\\Java Runtime Environment\\1.1",
    "Software\\Pellior\\Java Runtime Environment\\1.2",
    "Software\\Pellior\\Java Runtime Environment\\1.3",
    "Software\\Pellior\\Java Runtime Environment\\1.3.0",
    "Software\\Pellior\\Java Runtime Environment\\1.3.0_01",
    "Software\\Pellior\\Java Runtime Environment\\1.3.1",
    "Software\\Pellior\\Java Runtime Environment\\1.3.1_01",
    "Software\\Pellior\\Java Runtime Environment\\1.4",
    "Software\\Pellior\\Java Runtime Environment\\1.4.0",
    "Software\\Pellior\\Java Runtime Environment\\1.4.0_01",
    "Software\\Pellior\\Java Runtime Environment\\1.4.1",
};
