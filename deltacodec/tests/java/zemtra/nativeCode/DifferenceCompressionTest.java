package zemtra.nativeCode;

import static org.junit.Assert.assertArrayEquals;
import static org.junit.Assert.assertEquals;
import static org.junit.Assert.assertFalse;
import static org.junit.Assert.assertTrue;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Arrays;
import java.util.Random;
import org.junit.After;
import org.junit.Before;
import org.junit.Test;

public class DifferenceCompressionTest {
    private Path dir;

    @Before
    public void makeFolder() throws IOException {
        dir = Files.createTempDirectory("delta codec \u00e9t\u00e9 ");
    }

    @After
    public void removeFolder() throws IOException {
        try (var files = Files.walk(dir)) {
            files.sorted((a, b) -> b.compareTo(a)).forEach(p -> p.toFile().delete());
        }
    }

    private String file(String name, byte[] bytes) throws IOException {
        Path p = dir.resolve(name);
        Files.write(p, bytes);
        return p.toString();
    }

    private String name(String name) {
        return dir.resolve(name).toString();
    }

    private static byte[] bytes(int... values) {
        byte[] out = new byte[values.length];
        for (int i = 0; i < values.length; ++i) out[i] = (byte) values[i];
        return out;
    }

    private static byte[] read(String name) throws IOException {
        return Files.readAllBytes(Paths.get(name));
    }

    @Test
    public void fixedAnswers() {
        assertEquals(45, DifferenceCompression.test());
        assertFalse(DifferenceCompression.canUseSingleFile(3));
        assertEquals(-1, DifferenceCompression.addDeltaToAbsSingle(1, 2));
    }

    @Test
    public void knownDeltas() throws IOException {
        String base = file("base", "any base at all".getBytes());
        String out = name("r\u00e9sultat \u6587");
        assertEquals(0, DifferenceCompression.addDeltaToAbs(base, file("lone end", bytes(0x0A)), out));
        assertEquals(0, read(out).length);
        String abc = file("abc", bytes(0x02, 3, 0, 0, 0, 'a', 'b', 'c', 0x0A));
        assertEquals(3, DifferenceCompression.addDeltaToAbs(base, abc, out));
        assertArrayEquals("abc".getBytes(), read(out));

        assertEquals(8 + 4, DifferenceCompression.addDeltaToDelta(abc, abc, out));
        byte[] joined = read(out);
        assertArrayEquals(bytes(0x0A, 0, 0, 0), Arrays.copyOfRange(joined, joined.length - 4, joined.length));

        assertEquals(5 + 15 + 1, DifferenceCompression.inverseDelta(base, abc, out));
        byte[] inverse = read(out);
        assertEquals(0x02, inverse[0]);
        assertEquals(15, inverse[1]);
        assertEquals(0x0A, inverse[inverse.length - 1]);
    }

    @Test
    public void identicalFilesGiveOneCopy() throws IOException {
        byte[] hundred = new byte[100];
        new Random(4).nextBytes(hundred);
        String a = file("a", hundred), b = file("b", hundred), d = name("d");
        assertEquals(10, DifferenceCompression.subtractAbsFromAbs(a, b, d));
        assertArrayEquals(bytes(0x01, 100, 0, 0, 0, 0, 0, 0, 0, 0x0A), read(d));
    }

    @Test
    public void lawsOnARealFile() throws IOException {
        byte[] original = Files.readAllBytes(Paths.get("/usr/lib/x86_64-linux-gnu/libc.so.6"));
        byte[] changed = new byte[original.length + 3000];
        System.arraycopy(original, 0, changed, 0, 200000);
        for (int i = 200000; i < 203000; ++i) changed[i] = (byte) (i * 7);
        System.arraycopy(original, 200000, changed, 203000, original.length - 200000);
        String base = file("base file", original), target = file("target file", changed);
        String delta = name("delta"), back = name("back"), out = name("out"), joined = name("joined");

        int size = DifferenceCompression.subtractAbsFromAbs(target, base, delta);
        assertEquals(read(delta).length, size);
        assertTrue("the delta is much smaller than the file", size < 10000);
        assertEquals(changed.length, DifferenceCompression.addDeltaToAbs(base, delta, out));
        assertArrayEquals(changed, read(out));
        assertTrue(DifferenceCompression.inverseDelta(base, delta, back) > 0);
        assertEquals(original.length, DifferenceCompression.addDeltaToAbs(target, back, out));
        assertArrayEquals(original, read(out));
        assertTrue(DifferenceCompression.addDeltaToDelta(delta, back, joined) > 0);
        assertEquals(original.length, DifferenceCompression.addDeltaToAbs(base, joined, out));
        assertArrayEquals(original, read(out));
    }

    @Test
    public void failures() throws IOException {
        String base = file("base", "0123456789".getBytes()), out = name("out");
        assertEquals(-2, DifferenceCompression.addDeltaToAbs(name("missing"), base, out));
        assertEquals(-2, DifferenceCompression.subtractAbsFromAbs(base, name("missing"), out));
        assertFalse(Files.exists(Paths.get(out)));
        String pastTheBase = file("past", bytes(0x01, 5, 0, 0, 0, 8, 0, 0, 0, 0x0A));
        Files.write(Paths.get(out), "old".getBytes());
        assertEquals(-1, DifferenceCompression.addDeltaToAbs(base, pastTheBase, out));
        assertFalse("a failed result is removed", Files.exists(Paths.get(out)));
        assertEquals(-1, DifferenceCompression.addDeltaToAbs(base, file("no end", bytes(0x02, 1, 0, 0, 0, 'x')), out));
        assertFalse(Files.exists(Paths.get(out)));
    }
}
