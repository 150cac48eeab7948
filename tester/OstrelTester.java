/*
 * Run by the installer inside every candidate VM. It tells the installer, through the exit code of the
 * VM, whether the Java Ostrel can go into this VM and which branch of the installation the VM takes.
 *
 * The class must load and run in VMs of the 1.1 generation: it is compiled to class file version 45.3
 * and uses nothing beyond the 1.1 API (no collections, no StringBuilder, no String.split, no string
 * concatenation, which a newer library could resolve to later overloads).
 *
 * Exit code bits:
 *   bit 0 (1)  always set: zero or less means "no answer" to the installer
 *   bit 1 (2)  usable: 32-bit VMs of generations 1.1 to 1.8, which have the directories the installer
 *              writes into and can load the bridge's DLLs, all 32-bit
 *   bit 2 (4)  a generation later than 1.1
 *   bit 3 (8)  generations 1.4 to 1.8, which take the installer's 1.4 branch
 * Codes: 1.0 -> 1, 1.1 -> 3, 1.2 and 1.3 -> 7, 1.4 to 1.8 -> 15, 9 and later -> 5, cannot tell -> 1;
 * a 64-bit VM keeps its generation bits but loses the usable one: 1.1 -> 1, 1.2 and 1.3 -> 5,
 * 1.4 to 1.8 -> 13, 9 and later still 5.
 */
public class OstrelTester {

    static final int ANSWER = 1;
    static final int USABLE = 2;
    static final int LATER_THAN_1_1 = 4;
    static final int BRANCH_1_4 = 8;

    /*
     * A VM we cannot place gets plain "not usable" with no claim of a later generation. It is also what a
     * VM reports when it cannot run this class at all (missing class, unsupported format, uncaught
     * error), so every failure to decide reads the same to the installer.
     */
    static final int CANNOT_TELL = ANSWER;

    /* Generations are numbered as releases are today: 0 for 1.0, 1 for 1.1, ..., 8 for 1.8, then 9, 10... */
    static final int UNKNOWN = -1;

    /*
     * os.arch of VMs that cannot load a 32-bit DLL, case ignored. A 32-bit VM on 64-bit Windows says "x86";
     * HP-UX's "ia64n" is its 32-bit mode.
     */
    static final String[] ARCHITECTURES_64_BIT = {"amd64", "x86_64", "ia64", "ia64w", "aarch64"};

    /* Longer numbers than this are garbage, and would overflow an int. */
    private static final int MAX_DIGITS = 4;

    public static void main(String[] args) {
        int code = CANNOT_TELL;
        try {
            code = decide(property("java.version"), property("java.specification.version"),
                          property("java.class.version"), property("sun.arch.data.model"),
                          property("com.ibm.vm.bitmode"), property("os.arch"));
        } catch (Throwable t) {
            code = CANNOT_TELL;
        }
        System.exit(code);
    }

    /* A property that cannot be read (a security manager, say) counts as missing. */
    private static String property(String name) {
        try {
            return System.getProperty(name);
        } catch (Throwable t) {
            return null;
        }
    }

    /*
     * The exit code for a VM that reports these properties (java.version, java.specification.version,
     * java.class.version, sun.arch.data.model, com.ibm.vm.bitmode, os.arch); null stands for a missing
     * property.
     * java.version names the generation (every VM has it; 1.0 and 1.1 have no java.specification.version);
     * the next two, where present, must agree with it, or the VM is not one we know. The last three tell a
     * 64-bit VM, which is never usable.
     */
    static int decide(String version, String platformVersion, String classVersion, String dataModel,
                      String ibmBitMode, String arch) {
        try {
            int gen = generation(version);
            if (gen == UNKNOWN) {
                return CANNOT_TELL;
            }
            if (platformVersion != null && generation(platformVersion) != gen) {
                return CANNOT_TELL;
            }
            if (classVersion != null && !classVersionFits(classVersion, gen)) {
                return CANNOT_TELL;
            }
            int code = codeFor(gen);
            return is64Bit(dataModel, ibmBitMode, arch) ? code & ~USABLE : code;
        } catch (Throwable t) {
            return CANNOT_TELL;
        }
    }

    static int codeFor(int gen) {
        if (gen == 0) {
            return ANSWER;
        }
        if (gen == 1) {
            return ANSWER | USABLE;
        }
        if (gen <= 3) {
            return ANSWER | USABLE | LATER_THAN_1_1;
        }
        if (gen <= 8) {
            return ANSWER | USABLE | LATER_THAN_1_1 | BRANCH_1_4;
        }
        // 9 and later have no extension directory.
        return ANSWER | LATER_THAN_1_1;
    }

    /*
     * Either signal is enough: a 64-bit VM offered the bridge could no longer start its AWT and Swing
     * programs, while a 32-bit one not offered only goes without it. A missing value says nothing.
     */
    static boolean is64Bit(String dataModel, String ibmBitMode, String arch) {
        if ((dataModel != null && dataModel.trim().equals("64"))
            || (ibmBitMode != null && ibmBitMode.trim().equals("64"))) {
            return true;
        }
        for (int i = 0; arch != null && i < ARCHITECTURES_64_BIT.length; i++) {
            if (arch.trim().equalsIgnoreCase(ARCHITECTURES_64_BIT[i])) {
                return true;
            }
        }
        return false;
    }

    /*
     * The generation named by a version string: "1.N..." up to 1.8 (and the early "1.9" builds of 9),
     * then "N..." from 9 on. After the generation number only the end or a separator may follow, as in
     * "1.4.2_19", "1.3.1-beta", "10-ea", "11.0.2", "9+181". Anything else is UNKNOWN.
     */
    static int generation(String s) {
        if (s == null) {
            return UNKNOWN;
        }
        s = s.trim();
        int end = numberEnd(s, 0);
        int first = number(s, 0, end);
        if (first == 1) {
            if (end >= s.length() || s.charAt(end) != '.') {
                return UNKNOWN;
            }
            int start = end + 1;
            end = numberEnd(s, start);
            int second = number(s, start, end);
            return second != UNKNOWN && endsWell(s, end) ? second : UNKNOWN;
        }
        return first >= 9 && endsWell(s, end) ? first : UNKNOWN;
    }

    /*
     * java.class.version is "major.minor", the newest class format the VM reads: 45 for 1.0 and 1.1
     * alike, then 46 for 1.2 and one more for each generation (52 for 1.8, 53 for 9, 65 for 21).
     */
    static boolean classVersionFits(String s, int gen) {
        s = s.trim();
        int end = numberEnd(s, 0);
        int major = number(s, 0, end);
        if (major == UNKNOWN || end >= s.length() || s.charAt(end) != '.') {
            return false;
        }
        int minorEnd = numberEnd(s, end + 1);
        if (number(s, end + 1, minorEnd) == UNKNOWN || minorEnd != s.length()) {
            return false;
        }
        if (major == 45) {
            return gen <= 1;
        }
        return major >= 46 && major - 44 == gen;
    }

    private static boolean endsWell(String s, int at) {
        if (at == s.length()) {
            return true;
        }
        char c = s.charAt(at);
        return c == '.' || c == '_' || c == '-' || c == '+' || c == ' ';
    }

    private static int numberEnd(String s, int start) {
        int i = start;
        while (i < s.length() && s.charAt(i) >= '0' && s.charAt(i) <= '9') {
            i++;
        }
        return i;
    }

    /* The decimal number in s[start, end): UNKNOWN when empty, too long or with a leading zero. */
    private static int number(String s, int start, int end) {
        int length = end - start;
        if (length == 0 || length > MAX_DIGITS || (length > 1 && s.charAt(start) == '0')) {
            return UNKNOWN;
        }
        int value = 0;
        for (int i = start; i < end; i++) {
            value = value * 10 + (s.charAt(i) - '0');
        }
        return value;
    }
}
