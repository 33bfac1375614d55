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
import org.junit.Test;

public class SpatialCompressionTest {
    private final SpatialCompression codec = new SpatialCompression();

    private static byte[] hex(String text) {
        String digits = text.replace(" ", "");
        byte[] out = new byte[digits.length() / 2];
        for (int i = 0; i < out.length; i++) {
            out[i] = (byte) Integer.parseInt(digits.substring(2 * i, 2 * i + 2), 16);
        }
        return out;
    }

    private byte[] encoded(byte[] data, int capacity) {
        byte[] out = new byte[capacity + 8];
        int n = codec.encode(data, 0, data.length, out, 8, capacity, 0, 0);
        assertTrue("encode failed: " + n, n >= 0);
        return Arrays.copyOfRange(out, 8, 8 + n);
    }

    @Test
    public void goldenStreams() {
        assertArrayEquals(hex("3F007F24 34918409 3F2C3BF8 3FB702"),
                encoded("abc".getBytes(), 100));
        assertArrayEquals(hex("0002"), encoded(new byte[0], 2));
        assertEquals(-1, codec.encode(new byte[0], 0, 0, new byte[8], 0, 0, 0, 0));
        byte[] back = new byte[10];
        assertEquals(3, codec.decode(hex("3F007F24 34918409 3F2C3BF8 3FB702"), 0, 15, back, 2, 8, 0, 0));
        assertArrayEquals("abc".getBytes(), Arrays.copyOfRange(back, 2, 5));
    }

    @Test
    public void realFilesRoundTrip() throws IOException {
        for (String name : new String[] {"/usr/share/common-licenses/GPL-3", "/usr/bin/bash"}) {
            Path path = Paths.get(name);
            if (!Files.exists(path)) continue;
            byte[] data = Files.readAllBytes(path);
            byte[] coded = encoded(data, data.length + data.length / 2);
            byte[] back = new byte[data.length];
            assertEquals(name, data.length, codec.decode(coded, 0, coded.length, back, 0, data.length, 0, 0));
            assertArrayEquals(name, data, back);
        }
    }

    @Test
    public void corruptStreamsGiveMinusOneInsteadOfEndingTheProcess() {
        byte[] coded = encoded("the quick brown fox jumps over the lazy dog".getBytes(), 200);
        Random random = new Random(7);
        byte[] out = new byte[100];
        for (int trial = 0; trial < 200; trial++) {
            byte[] bad = coded.clone();
            bad[random.nextInt(bad.length)] ^= (byte) (1 + random.nextInt(255));
            int n = codec.decode(bad, 0, random.nextInt(bad.length + 1), out, 0, out.length, 0, 0);
            assertTrue(n >= -1 && n <= out.length);
        }
        assertEquals(-1, codec.decode(hex("52C30000 00000000"), 0, 8, out, 0, 100, 0, 0));
        assertEquals(-1, codec.decode(coded, 0, coded.length + 1, out, 0, 100, 0, 0));
        assertEquals(-1, codec.decode(coded, 0, coded.length, out, 90, 100, 0, 0));
        assertEquals(-1, codec.encode(out, 0, 50, out, 0, 49, 0, 0));
    }

    @Test
    public void imageStreamDecodesWithAnotherFilter() {
        int enc = codec.getImageFilterIndex();
        int dec = codec.getImageFilterIndex();
        assertTrue(enc >= 0 && dec >= 0);
        int w = 200;
        int h = 120;
        byte[] coded = new byte[4 * w * h + 64];
        Random random = new Random(3);
        for (int frame = 0; frame < 4; frame++) {
            int[] pixels = new int[w * h];
            for (int i = 0; i < pixels.length; i++) {
                int x = i % w;
                pixels[i] = x < 100 ? 0xD4D0C8 : (x % 7 == frame ? random.nextInt() : 0x0A246A);
            }
            int end = codec.encodeImageFilterFull(pixels, 0, w, h, w, coded, 5, 2 + 4 * w * h, enc);
            assertTrue(end > 5);
            int[] back = new int[w * h];
            assertEquals(w * h, codec.decodeImageFilterFull(coded, 0, end - 5, back, 0, w, h, w, dec));
            for (int y = 0; y < h; y++) {
                for (int x = 0; x < w; x++) {
                    int expected = quantise3(pixels[(h - 1 - y) * w + x]);
                    assertEquals("frame " + frame + " at " + x + "," + y, expected, back[y * w + x]);
                }
            }
        }
        assertEquals(-1, codec.encodeImageFilterFull(new int[4], 0, 3, 3, 3, coded, 0, 100, enc));
        assertEquals(-1, codec.decodeImageFilterFull(coded, 0, 10, new int[4], 0, 2, 2, 2, 10));
        codec.resetImageFilterIndex(enc);
        assertTrue(codec.releaseImageFilterIndex(enc));
        assertFalse(codec.releaseImageFilterIndex(enc));
        assertTrue(codec.releaseImageFilterIndex(dec));
    }

    // Three bits per channel, rounded half a step, top level to white.
    private static int quantise3(int pixel) {
        int q = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int channel = (pixel >> shift) & 0xFF;
            if ((channel & 0xE0) != 0xE0) channel += 0x10;
            q |= (channel & 0xE0) << shift;
        }
        return q == 0xE0E0E0 ? 0xFFFFFF : q;
    }

    @Test
    public void filterIndexesAndBlockSets() {
        int[] taken = new int[10];
        for (int i = 0; i < 10; i++) taken[i] = codec.getImageFilterIndex();
        assertEquals(-1, codec.getImageFilterIndex());
        assertTrue(codec.releaseImageFilterIndex(taken[4]));
        assertEquals(taken[4], codec.getImageFilterIndex());
        codec.setBitsPerColor(4, taken[0]);
        codec.setBitsPerColor(4, 99);
        for (int index : taken) assertTrue(codec.releaseImageFilterIndex(index));
        assertTrue(codec.initializeBlockSet(1, 2, 3));
        assertFalse(codec.doesBlockSetExist(1, 2));
        codec.terminateBlockSet(1, 2);
        codec.terminateAllBlockSets();
    }
}
